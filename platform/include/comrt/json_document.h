// A JSON document for the files the platform and its hosts keep (the registry, a property
// bag): read with nlohmann's parser, held in a tree of our own, written back as it was read.
//
// Why a tree of our own: nlohmann::json's destructor allocates (it flattens its children
// onto a heap stack), so a document that goes away while memory is short ends the process
// from inside a destructor. This tree's destructor never allocates; everything that can
// fail (parsing, building, writing) throws std::bad_alloc at a point where the caller can
// still turn it into E_OUTOFMEMORY.
//
// What a document holds is what the file said:
//   - objects keep their members in file order; a file with two members of the same name
//     in one object is refused, so nothing is ever dropped on a rewrite;
//   - numbers keep their text (a float's as written, an integer's in its shortest form),
//     so a rewrite never rounds them;
//   - strings are UTF-8, checked by the parser; a string built in code that is not UTF-8
//     makes write() refuse the whole document.
// Nesting is limited when reading (max_depth) and when writing (kMaxWriteDepth), so a
// document can always be written, and what is written can be read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace comrt::json {

enum class kind : std::uint8_t { null, boolean, number, string, array, object };

struct member;

class value {
public:
    value() noexcept = default;  // null
    value(value&&) noexcept = default;
    value& operator=(value&&) noexcept = default;
    value(const value&) = default;
    value& operator=(const value&) = default;
    ~value() = default;

    static value boolean(bool on);
    static value number(std::string text);  // text of a JSON number, not checked here
    static value integer(long long number);
    static value string(std::string utf8);
    static value array();
    static value object();

    kind type() const noexcept { return kind_; }
    bool is_null() const noexcept { return kind_ == kind::null; }
    bool is_boolean() const noexcept { return kind_ == kind::boolean; }
    bool is_number() const noexcept { return kind_ == kind::number; }
    bool is_string() const noexcept { return kind_ == kind::string; }
    bool is_array() const noexcept { return kind_ == kind::array; }
    bool is_object() const noexcept { return kind_ == kind::object; }

    bool boolean_value() const noexcept { return on_; }
    // A string's UTF-8 text, or a number's text as written.
    const std::string& text() const noexcept { return text_; }

    // An array's elements (their keys are empty) or an object's members, in order.
    const std::vector<member>& children() const noexcept { return children_; }
    std::vector<member>& children() noexcept { return children_; }

    // The member named key of an object; null when there is none (or this is no object).
    const value* find(std::string_view key) const noexcept;
    value* find(std::string_view key) noexcept;
    // Replaces the value of member key, or appends the member when there is none.
    value& set(std::string_view key, value v);
    // Appends an element to an array.
    value& push_back(value v);
    // Removes member key; false when there is none.
    bool erase(std::string_view key) noexcept;

    friend bool operator==(const value& a, const value& b) noexcept;

private:
    kind kind_ = kind::null;
    bool on_ = false;
    std::string text_;
    std::vector<member> children_;
};

struct member {
    std::string key;
    value data;
};

// The deepest nesting write() accepts: arrays and objects inside one another.
inline constexpr std::size_t kMaxWriteDepth = 64;

// Reads text as one JSON value into out (replacing it).
//   max_depth: arrays and objects inside one another that are accepted ({} is 1).
//   Returns false when text is not one JSON value (a NUL byte anywhere included), nests
//   deeper than max_depth, or has an object with two members of the same name (out is
//   then null). Throws std::bad_alloc.
bool parse(std::string_view text, std::size_t max_depth, value& out);

// The document as indented text (two spaces, one member or element a line, a newline at
// the end), members in their order or, with sort_keys, by name (byte order).
//   Returns false, leaving out empty, when a string is not UTF-8 or the nesting is
//   deeper than kMaxWriteDepth. Throws std::bad_alloc.
bool write(const value& document, bool sort_keys, std::string& out);

}  // namespace comrt::json
