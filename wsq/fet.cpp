#include "wsq/fet.h"

#include <algorithm>
#include <new>

#include "wsq/diagnostics.h"

namespace {

// Longest name or value string2fet accepts.
constexpr size_t kMaxFieldLength = 511;

int32_t find_entry(std::string_view name, const FET& fet) {
  for (int32_t i = 0; i < fet.count; i++) {
    if (fet.names[i] == name) return i;
  }
  return -1;
}

std::optional<std::string> copy_value(std::optional<std::string_view> value) {
  if (!value) return std::nullopt;
  return std::string(*value);
}

// Resizes both arrays of an existing list, keeping its entries.
int32_t resize_slots(FET& fet, int32_t slots) {
  try {
    fet.names.resize(static_cast<size_t>(slots));
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : reallocfet_ret : realloc : fet->names\n");
    return -2;
  }
  try {
    fet.values.resize(static_cast<size_t>(slots));
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : reallocfet_ret : realloc : fet->values");
    return -3;
  }
  fet.capacity = slots;
  return 0;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int32_t allocfet_ret(std::unique_ptr<FET>& fet, int32_t slots) {
  std::unique_ptr<FET> created;
  try {
    created = std::make_unique<FET>();
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : allocfet_ret : malloc : fet\n");
    return -2;
  }
  try {
    created->names.resize(static_cast<size_t>(slots));
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : allocfet_ret : calloc : fet->names\n");
    return -3;
  }
  try {
    created->values.resize(static_cast<size_t>(slots));
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : allocfet_ret : calloc : fet->values\n");
    return -4;
  }
  created->capacity = slots;
  fet = std::move(created);
  return 0;
}

int32_t reallocfet_ret(std::unique_ptr<FET>& fet, int32_t slots) {
  if (!fet || fet->capacity == 0) return allocfet_ret(fet, slots);
  return resize_slots(*fet, slots);
}

int32_t updatefet_ret(std::string_view name, std::optional<std::string_view> value, FET& fet) {
  const int32_t found = find_entry(name, fet);
  if (found >= 0) {
    try {
      fet.values[found] = copy_value(value);
    } catch (const std::bad_alloc&) {
      diag_write("ERROR : updatefet_ret : strdup : fet->values[]\n");
      return -2;
    }
    return 0;
  }
  if (fet.count >= fet.capacity) {
    const int32_t slots = fet.capacity + std::max(fet.capacity / 10, 10);
    if (int32_t ret = resize_slots(fet, slots)) return ret;
  }
  try {
    fet.names[fet.count] = std::string(name);
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : updatefet_ret : strdup : fet->names[]\n");
    return -3;
  }
  try {
    fet.values[fet.count] = copy_value(value);
  } catch (const std::bad_alloc&) {
    fet.names[fet.count].clear();
    diag_write("ERROR : updatefet_ret : strdup : fet->values[]\n");
    return -4;
  }
  fet.count++;
  return 0;
}

int32_t lookupfet(std::optional<std::string>& value, std::string_view name, const FET& fet) {
  const int32_t found = find_entry(name, fet);
  if (found < 0) return 0;
  try {
    value = fet.values[found];
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : lookupfet : strdup : value\n");
    return -2;
  }
  return 1;
}

int32_t extractfet_ret(std::optional<std::string>& value, std::string_view name,
                       const FET& fet) {
  const int32_t found = find_entry(name, fet);
  if (found < 0) {
    diag_printf("ERROR : extractfet_ret : feature %.*s not found\n",
                static_cast<int>(name.size()), name.data());
    return -2;
  }
  try {
    value = fet.values[found];
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : extractfet_ret : strdup : value\n");
    return -3;
  }
  return 0;
}

int32_t fet2string(std::string& text, const FET& fet) {
  std::string built;
  try {
    for (int32_t i = 0; i < fet.count; i++) {
      if (i > 0) built += '\n';
      built += fet.names[i];
      built += ' ';
      if (fet.values[i]) built += *fet.values[i];
    }
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : fet2string : malloc : str\n");
    return -2;
  }
  text = std::move(built);
  return 0;
}

int32_t string2fet(std::unique_ptr<FET>& fet, std::string_view text) {
  text = text.substr(0, std::min(text.size(), text.find('\0')));
  std::unique_ptr<FET> parsed;
  if (int32_t ret = allocfet_ret(parsed, 100)) return ret;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t name_start = pos;
    while (pos < text.size() && !is_blank(text[pos])) pos++;
    const std::string_view name = text.substr(name_start, pos - name_start);
    while (pos < text.size() && is_blank(text[pos])) pos++;
    const size_t value_start = pos;
    while (pos < text.size() && text[pos] != '\n') pos++;
    const std::string_view value = text.substr(value_start, pos - value_start);
    while (pos < text.size() && (is_blank(text[pos]) || text[pos] == '\n')) pos++;
    if (name.empty()) {
      diag_write("ERROR : string2fet : empty name string found\n");
      return -2;
    }
    if (name.size() > kMaxFieldLength || value.size() > kMaxFieldLength) {
      diag_printf("ERROR : string2fet : name or value longer than %zu characters\n",
                  kMaxFieldLength);
      return -5;
    }
    std::optional<std::string_view> stored;
    if (!value.empty()) stored = value;
    if (int32_t ret = updatefet_ret(name, stored, *parsed)) return ret;
  }
  fet = std::move(parsed);
  return 0;
}
