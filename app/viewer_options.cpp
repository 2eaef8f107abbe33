// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/viewer_options.h"

#include "veskat_version.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace viewer {
namespace {

constexpr int kExitUsage = 2;

const char* const kHelp
    = "Usage: veskat-cameras [QT-OPTION]...\n"
      "Shows up to 14 live network cameras (Motion JPEG over HTTP) at once, each in its\n"
      "own window inside one main window; watches every stream, logs status changes and\n"
      "restarts a stream that fails. The cameras are set up with File > Configure Cameras.\n"
      "\n"
      "Settings are kept in $VESKAT_REGISTRY when set, else in\n"
      "$XDG_CONFIG_HOME/veskat/registry.sqlite3; veskat-reg changes them. Debug logs\n"
      "(c:\\camera_debug<index>.txt) go to $VESKAT_DRIVE_C when set, else to\n"
      "$XDG_DATA_HOME/veskat/drive_c/.\n"
      "\n"
      "Options:\n"
      "  -h, --help           show this help and exit\n"
      "      --version        show the version and exit\n"
      "\n"
      "Qt's own options are passed on to Qt, for example:\n"
      "  -platform NAME       the window system plugin (xcb, wayland, offscreen)\n"
      "  -geometry WxH+X+Y    size and place of the main window (X11)\n"
      "  -style NAME          the widget style\n";

// Qt's options as QGuiApplication, QApplication and the X11 plugin take them.
// A list kept here, because Qt only removes them from argv inside the
// QApplication constructor, which already needs a display.
constexpr std::array<std::string_view, 15> kQtOptionsWithValue
    = { "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
          "qwindowtitle", "session", "display", "geometry", "title", "icon", "name", "style", "stylesheet" };
constexpr std::array<std::string_view, 4> kQtFlags = { "reverse", "widgetcount", "nograb", "dograb" };
// Options Qt also takes as "-name=value".
constexpr std::array<std::string_view, 3> kQtOptionsWithEquals = { "style", "stylesheet", "qmljsdebugger" };

template <std::size_t N> bool contains(const std::array<std::string_view, N>& list, std::string_view name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

OptionsResult refuse(const std::string& message)
{
    return OptionsResult { Action::Refuse, "veskat-cameras: " + message + " (see veskat-cameras --help)\n",
        kExitUsage };
}

} // namespace

OptionsResult parseOptions(const std::vector<std::string>& arguments)
{
    // Help and version win over anything else on the line, as in most programs.
    for (const auto& arg : arguments) {
        if (arg == "--help" || arg == "-h")
            return OptionsResult { Action::ShowHelp, kHelp, 0 };
        if (arg == "--version")
            return OptionsResult { Action::ShowVersion,
                std::string("veskat-cameras ") + buildinfo::kVersion + "\n", 0 };
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg.size() < 2 || arg[0] != '-')
            return refuse("unexpected argument \"" + arg + "\"");
        // Qt accepts its options with one dash or two.
        std::string_view name(arg);
        name.remove_prefix(name.substr(0, 2) == "--" ? 2 : 1);
        const auto equals = name.find('=');
        if (equals != std::string_view::npos && contains(kQtOptionsWithEquals, name.substr(0, equals)))
            continue;
        if (contains(kQtFlags, name))
            continue;
        if (contains(kQtOptionsWithValue, name)) {
            if (i + 1 >= arguments.size())
                return refuse("the option " + arg + " needs a value");
            ++i;
            continue;
        }
        return refuse("unknown option " + arg);
    }
    return OptionsResult {};
}

} // namespace viewer
