// An edit host for bridges under test: the edit mode the test sets, and a count of what
// the bridge asked (edits about to reach the engine, edits made, refusals), with a hook
// that runs just before each engine call.
#pragma once

#include <functional>

#include "Tovin/text/EditHost.h"

namespace tovin::testing {

struct TestEditHost : EditHost {
    rovuvuz::EditMode mode = rovuvuz::EditMode::direct();
    bool allowed = true;
    int engineCalls = 0;
    int edits = 0;
    int beeps = 0;
    std::function<void()> beforeEdit;

    rovuvuz::EditMode editMode() const override { return mode; }
    bool mayEdit() const override { return allowed; }
    void willEdit(StoryBridge&) override {
        ++engineCalls;
        if (beforeEdit) beforeEdit();
    }
    void didEdit(StoryBridge&) override { ++edits; }
    void refused(const QString&) override { ++beeps; }
};

}  // namespace tovin::testing
