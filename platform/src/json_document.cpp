// The JSON document (comrt/json_document.h): nlohmann's SAX parser feeding a tree of our
// own, and the writer.
#include <comrt/json_document.h>

#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <utility>

#include <nlohmann/json.hpp>

namespace comrt::json {

// ---- the tree --------------------------------------------------------------------------

value value::boolean(bool on) {
    value v;
    v.kind_ = kind::boolean;
    v.on_ = on;
    return v;
}

value value::number(std::string text) {
    value v;
    v.kind_ = kind::number;
    v.text_ = std::move(text);
    return v;
}

value value::integer(long long number) { return value::number(std::to_string(number)); }

value value::string(std::string utf8) {
    value v;
    v.kind_ = kind::string;
    v.text_ = std::move(utf8);
    return v;
}

value value::array() {
    value v;
    v.kind_ = kind::array;
    return v;
}

value value::object() {
    value v;
    v.kind_ = kind::object;
    return v;
}

const value* value::find(std::string_view key) const noexcept {
    if (kind_ != kind::object) return nullptr;
    for (const member& m : children_)
        if (m.key == key) return &m.data;
    return nullptr;
}

value* value::find(std::string_view key) noexcept {
    return const_cast<value*>(static_cast<const value*>(this)->find(key));
}

value& value::set(std::string_view key, value v) {
    if (value* existing = find(key)) {
        *existing = std::move(v);
        return *existing;
    }
    children_.push_back(member{std::string(key), std::move(v)});
    return children_.back().data;
}

value& value::push_back(value v) {
    children_.push_back(member{std::string(), std::move(v)});
    return children_.back().data;
}

bool value::erase(std::string_view key) noexcept {
    const auto it = std::find_if(children_.begin(), children_.end(), [key](const member& m) { return m.key == key; });
    if (kind_ != kind::object || it == children_.end()) return false;
    children_.erase(it);  // moves the members behind it: no allocation
    return true;
}

bool operator==(const value& a, const value& b) noexcept {
    if (a.kind_ != b.kind_ || a.on_ != b.on_ || a.text_ != b.text_ || a.children_.size() != b.children_.size())
        return false;
    for (std::size_t i = 0; i < a.children_.size(); ++i)
        if (a.children_[i].key != b.children_[i].key || !(a.children_[i].data == b.children_[i].data)) return false;
    return true;
}

// ---- reading ---------------------------------------------------------------------------

namespace {

using sax_json = nlohmann::json;

// Builds the tree from the parser's events. The open arrays and objects are a chain of
// last children, so adding to the innermost one never moves an outer one.
class builder {
public:
    builder(value& root, std::size_t max_depth) : root_(root), max_depth_(max_depth) {}

    bool null() { return add(value()); }
    bool boolean(bool on) { return add(value::boolean(on)); }
    bool number_integer(sax_json::number_integer_t n) { return add(value::number(std::to_string(n))); }
    bool number_unsigned(sax_json::number_unsigned_t n) { return add(value::number(std::to_string(n))); }
    bool number_float(sax_json::number_float_t, const sax_json::string_t& text) { return add(value::number(text)); }
    bool string(sax_json::string_t& text) { return add(value::string(std::move(text))); }
    bool binary(sax_json::binary_t&) { return false; }
    bool start_object(std::size_t) { return open(value::object()); }
    bool start_array(std::size_t) { return open(value::array()); }
    bool key(sax_json::string_t& name) {
        key_ = std::move(name);
        return true;
    }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    template <typename Exception>
    bool parse_error(std::size_t, const std::string&, const Exception&) {
        return false;
    }

private:
    value* place(value v) {
        if (open_.empty()) {
            root_ = std::move(v);
            return &root_;
        }
        value& parent = *open_.back();
        parent.children().push_back(member{parent.is_object() ? std::move(key_) : std::string(), std::move(v)});
        return &parent.children().back().data;
    }
    bool add(value v) {
        place(std::move(v));
        return true;
    }
    bool open(value v) {
        if (open_.size() >= max_depth_) return false;
        open_.reserve(open_.size() + 1);  // before the value is placed: push_back below cannot fail
        open_.push_back(place(std::move(v)));
        return true;
    }
    bool close() {
        const value* done = open_.back();
        open_.pop_back();
        return !done->is_object() || unique_keys(*done);
    }
    static bool unique_keys(const value& object) {
        if (object.children().size() < 2) return true;
        std::unordered_set<std::string_view> seen;
        seen.reserve(object.children().size());
        for (const member& m : object.children())
            if (!seen.insert(m.key).second) return false;
        return true;
    }

    value& root_;
    std::size_t max_depth_;
    std::vector<value*> open_;
    std::string key_;
};

}  // namespace

bool parse(std::string_view text, std::size_t max_depth, value& out) {
    out = value();
    // JSON text never holds a NUL byte (inside strings it is escaped), and the parser
    // would take one for the end of the text: what follows it would go unread.
    if (text.find('\0') != std::string_view::npos) return false;
    builder events(out, max_depth);
    if (sax_json::sax_parse(text, &events, nlohmann::detail::input_format_t::json, /*strict=*/true)) return true;
    out = value();
    return false;
}

// ---- writing ---------------------------------------------------------------------------

namespace {

// The length of the UTF-8 sequence starting at s[i], 0 when it is not well-formed
// (overlong forms, surrogates and code points above U+10FFFF included).
std::size_t utf8_sequence(std::string_view s, std::size_t i) noexcept {
    const auto byte = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80) return 1;
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return n;
}

class writer {
public:
    writer(bool sort_keys, std::string& out) : sort_keys_(sort_keys), out_(out) {}

    bool write(const value& v, std::size_t depth) {
        switch (v.type()) {
        case kind::null: out_ += "null"; return true;
        case kind::boolean: out_ += v.boolean_value() ? "true" : "false"; return true;
        case kind::number: out_ += v.text(); return true;
        case kind::string: return quoted(v.text());
        case kind::array:
        case kind::object: break;
        }
        if (depth >= kMaxWriteDepth) return false;
        const bool object = v.is_object();
        const auto& children = v.children();
        if (children.empty()) {
            out_ += object ? "{}" : "[]";
            return true;
        }
        std::vector<const member*> order;
        order.reserve(children.size());
        for (const member& m : children) order.push_back(&m);
        if (object && sort_keys_)
            std::stable_sort(order.begin(), order.end(), [](const member* a, const member* b) { return a->key < b->key; });
        out_ += object ? "{\n" : "[\n";
        for (std::size_t i = 0; i < order.size(); ++i) {
            indent(depth + 1);
            if (object) {
                if (!quoted(order[i]->key)) return false;
                out_ += ": ";
            }
            if (!write(order[i]->data, depth + 1)) return false;
            out_ += i + 1 < order.size() ? ",\n" : "\n";
        }
        indent(depth);
        out_ += object ? '}' : ']';
        return true;
    }

private:
    void indent(std::size_t depth) { out_.append(2 * depth, ' '); }

    bool quoted(std::string_view s) {
        out_ += '"';
        for (std::size_t i = 0; i < s.size();) {
            const auto c = static_cast<unsigned char>(s[i]);
            const std::size_t n = utf8_sequence(s, i);
            if (n == 0) return false;
            switch (c) {
            case '"': out_ += "\\\""; break;
            case '\\': out_ += "\\\\"; break;
            case '\b': out_ += "\\b"; break;
            case '\f': out_ += "\\f"; break;
            case '\n': out_ += "\\n"; break;
            case '\r': out_ += "\\r"; break;
            case '\t': out_ += "\\t"; break;
            default:
                if (c < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    out_ += escape;
                } else {
                    out_.append(s.substr(i, n));
                }
            }
            i += n;
        }
        out_ += '"';
        return true;
    }

    bool sort_keys_;
    std::string& out_;
};

}  // namespace

bool write(const value& document, bool sort_keys, std::string& out) {
    out.clear();
    writer w(sort_keys, out);
    if (!w.write(document, 0)) {
        out.clear();
        return false;
    }
    out += '\n';
    return true;
}

}  // namespace comrt::json
