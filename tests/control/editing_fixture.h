// A started control showing one group of text and drop-down items, and a one-line picture
// of everything the user and the host see of an edit: both editors, both editor-active
// flags, the value cells, the items' values and the failures the error channel received.
//
// Layout after Start (4800 x 3975, selector and drop-down 315 high): the grid at (0, 320),
// two columns of 2400, rows 315 high, so value cell r lies at (2400, 320 + 315 r).
#pragma once

#include <sstream>

#include <tests/control/control_fixture.h>

namespace orvane::testing {

class EditingFixture : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        Start();
        group = MakeGroup(u"G", {
                                    {u"Width", u"100"},
                                    {u"Mode", u"b", {u"a", u"b", u"c", u"b"}},
                                    {u"Shape", u"Round", {u"round", u"square"}},
                                    {u"Broken", u"kept", {}, 1},  // a drop-down item without a list
                                    {u"Note", u"n", {}, 7},
                                });
        ASSERT_EQ(Add(group), S_OK);
        ASSERT_EQ(Select(0), S_OK);
        log().clear();
    }

    // "T <text editor> | D <drop-down editor> | flags <text>,<drop-down>", then the value
    // cells and item values that differ from the group's ("cell0=250 item1=250") and the
    // failures the error channel received. A shown editor gives its content, selection or
    // entries, focus and place; a hidden one its content only ("(initial)": nothing was put).
    std::string State() {
        std::ostringstream out;
        const fakes::FakeTextBox& t = *fakes.text_editor;
        out << "T " << (t.visible() ? "" : "hidden ");
        if (!t.text_written())
            out << "(initial)";
        else
            out << "'" << Printable(t.text()) << "'";
        if (t.visible())
            out << " " << t.sel_start() << "+" << t.sel_length() << (t.has_focus() ? " focus" : "") << " @"
                << t.left() << "," << t.top() << " " << t.width() << "x" << t.height();
        const fakes::FakeDropDown& d = *fakes.drop_down_editor;
        out << " | D " << (d.visible() ? "" : "hidden ") << "[";
        for (std::size_t i = 0; i < d.entries().size(); ++i) out << (i ? "," : "") << Printable(d.entries()[i]);
        out << "] #" << d.list_index();
        if (d.visible())
            out << (d.has_focus() ? " focus" : "") << " @" << d.left() << "," << d.top() << " " << d.width();
        const EditingState& editing = impl().editing_state();
        out << " | flags " << editing.text_editor_active << "," << editing.drop_down_editor_active;
        for (std::int32_t row = 0; row < 5; ++row) {
            const std::u16string cell = fakes.grid->cell_text(row, 1);
            if (cell != kValues[row]) out << " | cell" << row << "=" << Printable(cell);
        }
        for (LONG k = 1; k <= 5; ++k) {
            const std::u16string value = ItemValue(*group, k);
            if (value != kValues[k - 1]) out << " | item" << k << "=" << Printable(value);
        }
        if (!site->failures.empty()) out << " | errors " << site->text();
        return out.str();
    }

    // Replaces item k's choice list with strings from index `lower` on.
    void SetChoices(LONG k, LONG lower, std::initializer_list<std::u16string_view> texts) {
        comrt::SafeArrayPtr list = pg_testing::StringArray(lower, texts);
        SAFEARRAY* arg = list.get();
        ASSERT_EQ(ItemAt(*group, k)->SetValueCmb(&arg), S_OK);
    }

    // The items' values as the group was shown: row r holds item r + 1.
    static constexpr std::u16string_view kValues[] = {u"100", u"b", u"Round", u"kept", u"n"};
    comrt::ComPtr<_clsTessel> group;
};

}  // namespace orvane::testing
