#pragma once

// A map from texts to values for look-ups by the hundred thousand: the entries in one
// array in the order they were added, found through a table of slots probed in a row, so
// that a look-up touches little memory and allocates nothing.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vestran {

template <typename Value>
class TextMap {
 public:
  // Adds the pair unless the key is there already; the value under the key either way.
  Value& tryEmplace(std::string_view key, Value value) {
    const std::uint64_t h = hash(key);
    if (const std::size_t k = lookup(key, h); k != kNone) return entries_[k].value;
    if ((entries_.size() + 1) * 2 > slots_.size()) grow();
    entries_.push_back({std::string(key), h, std::move(value)});
    place(entries_.size() - 1);
    return entries_.back().value;
  }

  // The value under the key; nullptr when there is none.
  const Value* find(std::string_view key) const {
    const std::size_t k = lookup(key, hash(key));
    return k == kNone ? nullptr : &entries_[k].value;
  }

  std::size_t size() const { return entries_.size(); }

  // Room for `count` entries without growing.
  void reserve(std::size_t count) {
    entries_.reserve(count);
    std::size_t wanted = slots_.empty() ? 64 : slots_.size();
    while (wanted < count * 2) wanted *= 2;
    if (wanted != slots_.size()) rehash(wanted);
  }

  void clear() {
    entries_.clear();
    slots_.clear();
  }

 private:
  struct Entry {
    std::string key;
    std::uint64_t hash;
    Value value;
  };

  // Eight bytes at a time, mixed by multiplication: fast on short texts, and good enough
  // for a table that probes in a row.
  static std::uint64_t hash(std::string_view s) {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ s.size();
    const char* p = s.data();
    std::size_t n = s.size();
    const auto mix = [&h](std::uint64_t w) {
      h = (h ^ w) * 0xBF58476D1CE4E5B9ULL;
      h ^= h >> 31;
    };
    for (; n >= 8; p += 8, n -= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      mix(w);
    }
    std::uint64_t w = 0;
    std::memcpy(&w, p, n);
    mix(w);
    return h * 0x94D049BB133111EBULL;
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // A slot holds the entry's index + 1 (0 for an empty slot) and the high bits of its
  // hash, so that a probe rarely reads an entry that is not the one sought.
  struct Slot {
    std::uint32_t entry = 0;
    std::uint32_t tag = 0;
  };
  static std::uint32_t tagOf(std::uint64_t h) { return static_cast<std::uint32_t>(h >> 32); }

  // The index of the entry of that key; kNone when there is none.
  std::size_t lookup(std::string_view key, std::uint64_t h) const {
    if (slots_.empty()) return kNone;
    const std::size_t mask = slots_.size() - 1;
    const std::uint32_t tag = tagOf(h);
    for (std::size_t i = h & mask; slots_[i].entry != 0; i = (i + 1) & mask) {
      if (slots_[i].tag != tag) continue;
      const Entry& e = entries_[slots_[i].entry - 1];
      if (e.hash == h && e.key == key) return slots_[i].entry - 1;
    }
    return kNone;
  }

  void place(std::size_t entry) {
    const std::size_t mask = slots_.size() - 1;
    const std::uint64_t h = entries_[entry].hash;
    std::size_t i = h & mask;
    while (slots_[i].entry != 0) i = (i + 1) & mask;
    slots_[i] = {static_cast<std::uint32_t>(entry + 1), tagOf(h)};
  }

  void grow() { rehash(slots_.empty() ? 64 : slots_.size() * 2); }

  void rehash(std::size_t slotCount) {
    slots_.assign(slotCount, Slot{});
    for (std::size_t k = 0; k < entries_.size(); ++k) place(k);
  }

  std::vector<Entry> entries_;
  std::vector<Slot> slots_;  // at most half full
};

}  // namespace vestran
