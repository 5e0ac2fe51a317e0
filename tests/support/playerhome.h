#pragma once
// What a player window test runs in: its own runtime folder and settings home (the environment
// is put back after the test) and no sub-player process.

#include "shell/mediaplayer.h"
#include "support/tempdir.h"
#include "support/testapp.h"

class PlayerTestHome {
public:
    PlayerTestHome()
    {
        env.SetPath("XDG_RUNTIME_DIR", runtime.Root());
        env.SetPath("TAVIO_HOME", home.Root());
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
    }

    TestDir runtime, home;
    ScopedEnvironment env;
};
