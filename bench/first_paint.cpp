// The baseline of user_bench's StartToExit: the least a Qt program does to show a window.
// It shows one window of the demo's size, with a line of text, and exits after the window's
// first paint. Exit status 0 after that paint, 1 when none came within 10 s.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class FirstPaint final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("first paint"));
        if (!painted_) {
            painted_ = true;
            QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
        }
    }

private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FirstPaint window;
    window.resize(960, 600);
    window.show();
    QTimer::singleShot(10000, qApp, [] { QApplication::exit(1); });
    return QApplication::exec();
}
