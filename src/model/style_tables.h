#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The pen, brush and symbol font tables of a layer set. Entries are handed out as 1-based
// indices. Find-or-add keeps the first equal entry, through a hash map so that a source with
// very many distinct styles is not slowed by a scan per object.
namespace vx {

struct PenStyle {
    std::int32_t PenSize = 0;
    std::int32_t PenPattern = 0;
    std::int32_t PenColor = 0;
    friend bool operator==(const PenStyle&, const PenStyle&) = default;
};

struct BrushStyle {
    std::int32_t BrushPattern = 0;
    std::int32_t BrushForeColor = 0;
    std::int32_t BrushBackColor = 0;
    friend bool operator==(const BrushStyle&, const BrushStyle&) = default;
};

struct StyleTripleHash {
    std::size_t operator()(std::uint32_t a, std::uint32_t b, std::uint32_t c) const {
        std::uint64_t h = 1469598103934665603ull;
        for (std::uint32_t v : {a, b, c}) {
            h ^= v;
            h *= 1099511628211ull;
            h ^= h >> 29;
        }
        return static_cast<std::size_t>(h);
    }
    std::size_t operator()(const PenStyle& p) const {
        return (*this)(static_cast<std::uint32_t>(p.PenSize),
                       static_cast<std::uint32_t>(p.PenPattern),
                       static_cast<std::uint32_t>(p.PenColor));
    }
    std::size_t operator()(const BrushStyle& b) const {
        return (*this)(static_cast<std::uint32_t>(b.BrushPattern),
                       static_cast<std::uint32_t>(b.BrushForeColor),
                       static_cast<std::uint32_t>(b.BrushBackColor));
    }
};

template <typename Style>
class StyleTable {
  public:
    std::int32_t FindOrAdd(const Style& style) {
        auto [it, added] =
            lookup_.try_emplace(style, static_cast<std::int32_t>(entries_.size() + 1));
        if (added) entries_.push_back(style);
        return it->second;
    }
    // Appends an entry as read from a file, duplicates included; look-ups keep finding the
    // first of equal entries.
    void Append(const Style& style) {
        entries_.push_back(style);
        lookup_.try_emplace(style, static_cast<std::int32_t>(entries_.size()));
    }
    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
    // Entry `index`, counted from 1; an index outside the table (any int) throws out_of_range.
    const Style& At(std::int32_t index) const {
        return entries_.at(static_cast<std::size_t>(index) - 1);
    }
    bool HasIndex(std::int32_t index) const { return index >= 1 && index <= Count(); }
    const std::vector<Style>& Entries() const { return entries_; }
    void Clear() {
        entries_.clear();
        lookup_.clear();
    }

  private:
    std::vector<Style> entries_;
    std::unordered_map<Style, std::int32_t, StyleTripleHash> lookup_;
};

using PenTable = StyleTable<PenStyle>;
using BrushTable = StyleTable<BrushStyle>;

// Symbol font names with their lengths; entry i of Lengths is always the length of entry i
// of Names.
class FontTable {
  public:
    std::int32_t FindOrAdd(const std::string& name);
    // Appends a name and its stored length as read from a file.
    void Append(const std::string& name, std::int32_t length);
    std::int32_t Count() const { return static_cast<std::int32_t>(names_.size()); }
    const std::string& Name(std::int32_t index) const {
        return names_.at(static_cast<std::size_t>(index) - 1);
    }
    std::int32_t Length(std::int32_t index) const {
        return lengths_.at(static_cast<std::size_t>(index) - 1);
    }
    bool HasIndex(std::int32_t index) const { return index >= 1 && index <= Count(); }
    const std::vector<std::string>& Names() const { return names_; }
    const std::vector<std::int32_t>& Lengths() const { return lengths_; }
    void Clear();

  private:
    std::vector<std::string> names_;
    std::vector<std::int32_t> lengths_;
    std::unordered_map<std::string, std::int32_t> lookup_;  // upper-cased name -> first index
};

}  // namespace vx
