// orvane-demo: a settings form on the property grid control.
//
//   orvane-demo                      opens the form (needs a display)
//   orvane-demo --screenshot FILE    renders the form offscreen into FILE (PNG) and exits
//   --font-points N                  (with either) the property grid's font at N points
//
// Exit status: 0; 1 when the control or the groups cannot be created, 2 for a bad
// command line, 3 when the screenshot cannot be written.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QPixmap>

#include "settings_form.h"

namespace {

void Usage() { std::fprintf(stderr, "usage: orvane-demo [--screenshot FILE.png] [--font-points N]\n"); }

}  // namespace

int main(int argc, char** argv) {
    const char* screenshot = nullptr;
    double font_points = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (std::strcmp(argv[i], "--font-points") == 0 && i + 1 < argc) {
            char* end = nullptr;
            font_points = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(font_points >= 1 && font_points <= 200)) {
                Usage();
                return 2;
            }
        } else {
            Usage();
            return 2;
        }
    }
    // Rendering into a file needs no display.
    if (screenshot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane-demo"));
    orvane::demo::SettingsForm form;
    if (!form.isReady()) {
        std::fprintf(stderr, "orvane-demo: the property grid could not be set up: %s\n",
                     form.errorString().toLocal8Bit().constData());
        return 1;
    }
    if (font_points > 0) form.useGridFontSize(font_points);
    form.resize(960, 600);
    form.show();
    if (!screenshot) return QApplication::exec();

    form.activateWindow();
    QCoreApplication::processEvents();
    form.stageForScreenshot();
    if (!form.grab().save(QString::fromLocal8Bit(screenshot), "PNG")) {
        std::fprintf(stderr, "orvane-demo: cannot write %s\n", screenshot);
        return 3;
    }
    std::printf("orvane-demo: screenshot written to %s\n", screenshot);
    return 0;
}
