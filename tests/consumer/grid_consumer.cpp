// A host of the installed package: registers nothing, embeds the grid
// (orvane::PropertiesWidget) in a window, hands it two groups, edits a value through real
// mouse and key events, and reads the value back from its own item.
//
// Prints one line per failed check; exit status 0 when all passed, 1 when one failed.
#include <cstdio>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <comrt/com.h>
#include <orvane/properties_widget.h>
#include <orvane/qt_types.h>

namespace {

int failures = 0;

void Check(bool passed, const char* what, const QString& detail = {}) {
    if (passed) return;
    ++failures;
    std::fprintf(stderr, "grid_consumer: FAILED: %s %s\n", what, detail.toLocal8Bit().constData());
}

// Item `position` (from 1) of a group: its value.
QString ValueOf(_clsTessel& group, LONG position) { return orvane::ToQString(tessel::ItemValue(group, position)); }

int Run() {
    // The host's groups, one call per item (a list of choices makes a drop-down item).
    const auto report = orvane::NewGroup("Report");
    orvane::AddItem(*report, "Title", "Quarterly");
    orvane::AddItem(*report, "Format", "PDF", {"HTML", "PDF", "Text"});
    const auto page = orvane::NewGroup("Page");
    orvane::AddItem(*page, "Margins", "2 cm");
    orvane::AddItem(*page, "Orientation", "Portrait", {"Portrait", "Landscape"});

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new orvane::PropertiesWidget(&window);
    layout->addWidget(grid);
    Check(grid->creationStatus() == S_OK, "creating the control");
    if (failures) return 1;
    window.resize(480, 320);
    window.show();
    window.activateWindow();
    Check(QTest::qWaitForWindowActive(&window), "showing the window");

    const comrt::ComPtr<_PropertiesCtl> control = grid->control();
    comrt::Variant result;
    for (const comrt::ComPtr<_clsTessel>* group : {&report, &page}) {
        _clsTessel* added = group->get();
        Check(control->AddPropertyGroup(&added, result.put()) == S_OK, "AddPropertyGroup");
    }
    SHORT second = 1;
    Check(control->SelectPropertyGroup(&second, result.put()) == S_OK, "SelectPropertyGroup(1)");
    QCoreApplication::processEvents();

    // The user clicks the first value of the shown group, types and presses Enter.
    auto* view = grid->findChild<QTableView*>();
    Check(view != nullptr, "a grid view inside the widget");
    if (failures) return 1;
    const QModelIndex margins = view->model()->index(0, 1);
    Check(margins.data().toString() == "2 cm", "the second group is shown", margins.data().toString());
    QSignalSpy changes(grid, &orvane::PropertiesWidget::itemValueChanged);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(margins).center());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    Check(editor != nullptr, "a click on a text value opens its editor");
    if (failures) return 1;
    QTest::keyClicks(editor, "3.5 cm");
    Check(ValueOf(*page, 1) == "2 cm", "typing alone writes nothing", ValueOf(*page, 1));
    QTest::keyClick(editor, Qt::Key_Return);

    Check(ValueOf(*page, 1) == "3.5 cm", "Enter writes the typed text into the host's item", ValueOf(*page, 1));
    Check(margins.data().toString() == "3.5 cm", "the cell shows it", margins.data().toString());
    Check(changes.size() == 1, "one itemValueChanged", QString::number(changes.size()));
    if (changes.size() == 1) {
        Check(changes[0][1].toInt() == 1 && changes[0][2].toString() == "2 cm" && changes[0][3].toString() == "3.5 cm",
              "itemValueChanged names the item and both values");
    }
    Check(ValueOf(*page, 2) == "Portrait" && ValueOf(*report, 1) == "Quarterly" && ValueOf(*report, 2) == "PDF",
          "the other items keep their values");
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    try {
        const int status = Run();
        if (status == 0) std::printf("grid_consumer: every check passed\n");
        return status;
    } catch (const comrt::com_error& error) {
        std::fprintf(stderr, "grid_consumer: a call failed: 0x%08x\n", static_cast<unsigned>(error.code()));
        return 1;
    }
}
