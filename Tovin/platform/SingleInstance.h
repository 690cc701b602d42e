// One Tovin process per user and display: the first process listens on a local socket in
// the user's runtime folder, named by the user and the display; a later `tovin FILE…` hands its files (or, with none, a reopen
// request) to it and exits.
#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

namespace tovin {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The socket's path; `socketPath` overrides the default in the runtime folder.
    explicit SingleInstance(QString socketPath = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // In the runtime folder (the temporary folder without one), by user and display.
    static QString defaultSocketPath();
    // The display part of the socket's name: the Wayland display when there is one, else
    // the X display without its screen, in characters a file name takes.
    static QString displayKey(const QString& waylandDisplay, const QString& x11Display);
    const QString& socketPath() const { return socketPath_; }

    // Gives the absolute `paths` to a running process; false when none is listening.
    bool handOff(const QStringList& paths, int timeoutMs = 2000) const;

    // Starts listening, taking over a socket no process answers on any longer.
    bool listen();

  Q_SIGNALS:
    void openRequested(const QStringList& paths);
    // Launched again without files: show something if nothing is visible.
    void reopenRequested();

  private:
    void receive();

    QString socketPath_;
    QLocalServer* server_ = nullptr;
};

}  // namespace tovin
