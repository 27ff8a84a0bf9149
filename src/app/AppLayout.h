#pragma once

// Where this run keeps its files. Portable (the default, as built): config.ini
// and Download/ beside the executable. Installed (PREFIX/bin with
// PREFIX/share/quorvo), or beside a read-only executable: config.ini in
// $XDG_DATA_HOME/quorvo and the songs in the user's music folder + "/Quorvo/".

#include "runtime/Text.h"

namespace quorvo::app {

struct AppLayout {
    Text runDirectory;          // holds config.ini; no trailing "/"
    Text defaultSaveDirectory;  // ends in "/"
    bool installed = false;
    // The author's page: the README, as a file:// address; empty when none is there.
    Text authorPage;
};

AppLayout detectLayout();

}  // namespace quorvo::app
