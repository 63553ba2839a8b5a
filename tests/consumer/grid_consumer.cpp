// A host of the installed package: registers the two server libraries in the registry
// named by $COMRT_REGISTRY, embeds the grid (orvane::PropertiesWidget) in a window, hands
// it two groups, edits a value through real mouse and key events, and reads the value
// back from its own item.
//
// Prints one line per failed check; exit status 0 when all passed, 1 when one failed, 2
// when $COMRT_REGISTRY is not set (the user's own registry is never written).
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <comrt/com.h>
#include <comrt/library_registration.h>
#include <orvane/properties_widget.h>
#include <tessel/tessel.h>

namespace {

int failures = 0;

void Check(bool passed, const char* what, const QString& detail = {}) {
    if (passed) return;
    ++failures;
    std::fprintf(stderr, "grid_consumer: FAILED: %s %s\n", what, detail.toLocal8Bit().constData());
}

struct Item {
    const char16_t* name;
    const char16_t* value;
    std::initializer_list<const char16_t*> choices;
};

// A group from the registered libtessel.so, one AddItem per item (type 1, the drop-down
// list, for an item with choices).
comrt::ComPtr<_clsTessel> MakeGroup(const char16_t* name, std::initializer_list<Item> items) {
    comrt::ComPtr<_clsTessel> group;
    comrt::check(CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, comrt::iid_of<_clsTessel>(),
                                  group.put_void()));
    comrt::check(group->put_PropertyGroupName(comrt::Bstr(name).get()));
    for (const Item& item : items) {
        comrt::SafeArrayPtr choices;
        if (item.choices.size() > 0) {
            choices.reset(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(item.choices.size())));
            if (!choices) throw comrt::com_error(E_OUTOFMEMORY);
            LONG index = 0;
            for (const char16_t* choice : item.choices) {
                comrt::Bstr text(choice);
                comrt::check(SafeArrayPutElement(choices.get(), &index, text.get()));
                ++index;
            }
        }
        comrt::Bstr item_name(item.name);
        comrt::Bstr item_value(item.value);
        BSTR name_arg = item_name.get();
        BSTR value_arg = item_value.get();
        SHORT type = item.choices.size() > 0 ? 1 : 0;
        SAFEARRAY* choices_arg = choices.get();
        LONG added = 0;
        comrt::check(group->AddItem(&name_arg, &value_arg, &type, &choices_arg, &added));
    }
    return group;
}

// Item `position` (from 1) of a group: its value, read through the group's collection.
QString ValueOf(_clsTessel& group, LONG position) {
    comrt::ComPtr<_Collection> items;
    comrt::check(group.get_ItemsCollection(items.put()));
    comrt::Variant index;
    index->vt = VT_I4;
    index->lVal = position;
    comrt::Variant element;
    comrt::check(items->Item(index.get(), element.put()));
    if (element.vt() != VT_DISPATCH || !element->pdispVal) throw comrt::com_error(DISP_E_TYPEMISMATCH);
    const auto item = comrt::ComPtr<IDispatch>(element->pdispVal).as<_clsPropertyItem>();
    comrt::Bstr value;
    comrt::check(item->get_ItemValue(value.put()));
    return QString::fromUtf16(value.view().data(), static_cast<qsizetype>(value.view().size()));
}

int Run() {
    for (const char* server : {TESSEL_SERVER, ORVANE_SERVER}) {
        std::string detail;
        const HRESULT hr = comrt::register_server_library(server, &detail);
        Check(hr == S_OK, "registering the server library", QString("%1: 0x%2 %3")
                                                                 .arg(server)
                                                                 .arg(static_cast<unsigned>(hr), 8, 16, QChar('0'))
                                                                 .arg(QString::fromStdString(detail)));
    }
    if (failures) return 1;

    const auto report = MakeGroup(u"Report", {{u"Title", u"Quarterly", {}},
                                               {u"Format", u"PDF", {u"HTML", u"PDF", u"Text"}}});
    const auto page = MakeGroup(u"Page", {{u"Margins", u"2 cm", {}},
                                           {u"Orientation", u"Portrait", {u"Portrait", u"Landscape"}}});

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
    if (!std::getenv("COMRT_REGISTRY")) {
        std::fprintf(stderr, "grid_consumer: set COMRT_REGISTRY to a registry file of its own\n");
        return 2;
    }
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
