// The software updater: the calls the application makes of an update framework. No
// update feed is configured for Linux builds (the distribution's package manager brings
// new versions), so checking is unavailable and the automatic-check preference is only
// remembered.
#pragma once

#include <QObject>
#include <QUrl>

namespace tovin {

class Updater : public QObject {
    Q_OBJECT
  public:
    // `feed` is where releases are announced; an empty one means no checking.
    explicit Updater(QUrl feed = {}, QObject* parent = nullptr);

    bool canCheckForUpdates() const;
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool checks);
    void checkForUpdates();

  private:
    QUrl feed_;
};

}  // namespace tovin
