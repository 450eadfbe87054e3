#pragma once
// FET: an ordered name/value list (an entry may have no value) and its
// NISTCOM text form: one "name value" line per entry, no newline after the
// last line. Names are compared byte by byte; the first match counts.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct FET {
  int32_t capacity = 0;  // slots in names and values
  int32_t count = 0;     // entries in use
  std::vector<std::string> names;
  std::vector<std::optional<std::string>> values;
};

// A new empty list with `slots` slots.
int32_t allocfet_ret(std::unique_ptr<FET>& fet, int32_t slots);
// Grows the list to `slots` slots; creates it when it is none or has none.
int32_t reallocfet_ret(std::unique_ptr<FET>& fet, int32_t slots);
// Replaces the value of the named entry, or appends a new entry (growing the
// list by a tenth of its capacity, at least 10 slots, when it is full).
int32_t updatefet_ret(std::string_view name, std::optional<std::string_view> value, FET& fet);
// 1 and a copy of the value when the name is present, 0 when absent.
int32_t lookupfet(std::optional<std::string>& value, std::string_view name, const FET& fet);
// As lookupfet, but an absent name fails with -2.
int32_t extractfet_ret(std::optional<std::string>& value, std::string_view name,
                       const FET& fet);

// The NISTCOM text of the list. An entry without value is written as its name
// and a space; an empty list gives the empty text.
int32_t fet2string(std::string& text, const FET& fet);
// Parses a NISTCOM text (up to its end or its first NUL) into a new list.
// Names and values of 512 characters or more are refused with -5.
int32_t string2fet(std::unique_ptr<FET>& fet, std::string_view text);
