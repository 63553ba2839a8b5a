// A host of the installed package written with the Qt API only: registers nothing, embeds
// the grid (orvane::PropertiesWidget) in a window, hands it two groups, edits a value
// through real mouse and key events, and reads the value back from its own group.
//
// Prints one line per failed check; exit status 0 when all passed, 1 when one failed.
#include <cstdio>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <orvane/properties_widget.h>

namespace {

int failures = 0;

void Check(bool passed, const char* what, const QString& detail = {}) {
    if (passed) return;
    ++failures;
    std::fprintf(stderr, "grid_consumer: FAILED: %s %s\n", what, detail.toLocal8Bit().constData());
}

int Run() {
    // The host's groups, one call per item (a list of choices makes a drop-down item).
    orvane::PropertyGroup report(QStringLiteral("Report"));
    report.addItem("Title", "Quarterly");
    report.addItem("Format", "PDF", {"HTML", "PDF", "Text"});
    orvane::PropertyGroup page(QStringLiteral("Page"));
    page.addItem("Margins", "2 cm");
    page.addItem("Orientation", "Portrait", {"Portrait", "Landscape"});
    Check(report.errorString().isEmpty() && page.errorString().isEmpty(), "making the groups",
          report.errorString() + page.errorString());
    if (failures) return 1;

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new orvane::PropertiesWidget(&window);
    layout->addWidget(grid);
    Check(grid->errorString().isEmpty(), "creating the control", grid->errorString());
    if (failures) return 1;
    window.resize(480, 320);
    window.show();
    window.activateWindow();
    Check(QTest::qWaitForWindowActive(&window), "showing the window");

    Check(grid->addGroup(report) && grid->addGroup(page), "addGroup", grid->errorString());
    Check(grid->setCurrentGroup(1), "setCurrentGroup(1)", grid->errorString());
    Check(grid->property("currentGroup").toInt() == 1, "the currentGroup property");
    QCoreApplication::processEvents();

    // The user clicks the first value of the shown group, types and presses Enter.
    auto* view = grid->findChild<QTableView*>();
    Check(view != nullptr, "a grid view inside the widget");
    if (failures) return 1;
    const QModelIndex margins = view->model()->index(0, 1);
    Check(margins.data().toString() == "2 cm", "the second group is shown", margins.data().toString());
    QSignalSpy changes(grid, &orvane::PropertiesWidget::valueChanged);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(margins).center());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    Check(editor != nullptr, "a click on a text value opens its editor");
    if (failures) return 1;
    QTest::keyClicks(editor, "3.5 cm");
    Check(page.value(0) == "2 cm", "typing alone writes nothing", page.value(0));
    QTest::keyClick(editor, Qt::Key_Return);

    Check(page.value(0) == "3.5 cm", "Enter writes the typed text into the host's item", page.value(0));
    Check(margins.data().toString() == "3.5 cm", "the cell shows it", margins.data().toString());
    Check(changes.size() == 1, "one valueChanged", QString::number(changes.size()));
    if (changes.size() == 1) {
        Check(changes[0][0].toInt() == 1 && changes[0][1].toInt() == 0 && changes[0][2].toString() == "2 cm" &&
                  changes[0][3].toString() == "3.5 cm",
              "valueChanged names the group, the row and both values");
    }
    Check(page.value(1) == "Portrait" && report.value(0) == "Quarterly" && report.value("Format") == "PDF",
          "the other items keep their values");
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int status = Run();
    if (status == 0) std::printf("grid_consumer: every check passed\n");
    return status;
}
