#pragma once

// Every control of the window a user can press, with the point the sweep
// presses it at (window coordinates). The X11 sweep presses each one in the
// real program and checks what it did; the window test checks that every
// pressable control the window builds contains one of these points, so that
// a control added later cannot stay out of the sweep.

#include <array>
#include <string_view>

namespace quorvo::app::test {

struct SweptControl {
    std::string_view name;
    int page = 0;  // 0 the window itself (tabs, caption), else 1 search, 2 download, 3 settings
    int x = 0;
    int y = 0;
};

// Where the first result row's check box is (rows start at the list's top).
inline constexpr int firstRowY = 126;
inline constexpr int rowCheckX = 17;

inline constexpr std::array sweptControls {
    SweptControl {"caption menu button", 0, 312, 16},
    SweptControl {"caption minimise button", 0, 340, 16},
    SweptControl {"caption close button", 0, 373, 16},
    SweptControl {"tab search", 0, 145, 63},
    SweptControl {"tab download", 0, 205, 63},
    SweptControl {"tab settings", 0, 265, 63},
    SweptControl {"search box", 1, 150, 102},
    SweptControl {"search button", 1, 390, 102},
    SweptControl {"result list", 1, rowCheckX, firstRowY},
    SweptControl {"result list scroll bar", 1, 400, 595},
    SweptControl {"tick all", 1, 32, 622},
    SweptControl {"invert ticks", 1, 67, 622},
    SweptControl {"add button", 1, 100, 620},
    SweptControl {"start", 2, 25, 101},
    SweptControl {"pause", 2, 50, 101},
    SweptControl {"delete", 2, 75, 101},
    SweptControl {"open folder", 2, 350, 101},
    SweptControl {"copy to", 2, 379, 101},
    SweptControl {"download list", 2, rowCheckX, firstRowY},
    SweptControl {"folder box", 3, 200, 148},
    SweptControl {"browse button", 3, 356, 148},
    SweptControl {"naming scheme", 3, 150, 178},
    SweptControl {"lyrics", 3, 120, 202},
    SweptControl {"lyrics into the song file", 3, 207, 202},
    SweptControl {"sound whirlwind", 3, 120, 231},
    SweptControl {"play 1", 3, 205, 230},
    SweptControl {"sound thunder", 3, 120, 251},
    SweptControl {"play 2", 3, 205, 250},
    SweptControl {"sound none", 3, 120, 271},
    SweptControl {"bypass", 3, 120, 299},
    SweptControl {"remove added", 3, 120, 321},
    SweptControl {"speed box", 3, 135, 356},
    SweptControl {"speed up", 3, 178, 350},
    SweptControl {"speed down", 3, 178, 362},
    SweptControl {"version link", 3, 40, 622},
};

constexpr const SweptControl& swept(std::string_view name)
{
    for (const SweptControl& control : sweptControls) {
        if (control.name == name)
            return control;
    }
    throw "no such control in the sweep";
}

}  // namespace quorvo::app::test
