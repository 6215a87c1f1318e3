#pragma once

// Writes value records of a data-change stream, as a 32-bit server lays
// them out, for the decoder's tests, its fuzz seeds and its benchmark.
//
//   StreamRecordWriter stream;
//   stream.scalar(VT_I4, LONG{42}).string(u"text");
//   stream.arrayHeader(VT_VARIANT, 2, 0).scalar(VT_R8, 1.5).nullString();

#include <cstring>
#include <string_view>
#include <vector>

#include "com/oleauto.h"
#include "opc/stream.h"

namespace format::testing {

class StreamRecordWriter {
 public:
  // A scalar record whose value field holds `value` (at most 8 bytes).
  template <class T>
  StreamRecordWriter& scalar(VARTYPE type, T value) {
    static_assert(sizeof(T) <= 8, "the value field holds 8 bytes");
    BYTE field[8] = {};
    std::memcpy(field, &value, sizeof value);
    return record(type, field);
  }
  StreamRecordWriter& scalar(VARTYPE type) { return scalar(type, ULONGLONG{0}); }

  // A DECIMAL fills the record; the type takes its first two bytes.
  StreamRecordWriter& decimal(DECIMAL value) {
    const size_t start = bytes_.size();
    append(&value, sizeof value);
    word(static_cast<WORD>(VT_DECIMAL), start);
    return *this;
  }

  // A VT_BSTR record; empty text is written as the null string (length 0).
  StreamRecordWriter& string(std::u16string_view text) { return scalar(VT_BSTR).stringBody(text); }
  StreamRecordWriter& nullString() { return string({}); }

  // The length, the text and the zero of one string (a VT_BSTR record's
  // tail, or an element of a VT_BSTR array).
  StreamRecordWriter& stringBody(std::u16string_view text) {
    dword(static_cast<DWORD>(text.size() * sizeof(char16_t)));
    append(text.data(), text.size() * sizeof(char16_t));
    return word(0);
  }

  // The record, descriptor and bound of an array; the elements follow with
  // raw(), stringBody() or records of their own.
  StreamRecordWriter& arrayHeader(VARTYPE elementType, DWORD count, LONG lowerBound) {
    record(static_cast<VARTYPE>(VT_ARRAY | elementType), nullptr);
    const opc::StreamArrayDescriptor descriptor{1, 0, 0, 0, 0};
    append(&descriptor, sizeof descriptor);
    const opc::StreamArrayBound bound{count, lowerBound};
    append(&bound, sizeof bound);
    return *this;
  }

  // An array of plain elements with their data.
  template <class T>
  StreamRecordWriter& array(VARTYPE elementType, const std::vector<T>& elements, LONG lowerBound = 0) {
    arrayHeader(elementType, static_cast<DWORD>(elements.size()), lowerBound);
    return raw(elements.data(), elements.size() * sizeof(T));
  }

  StreamRecordWriter& raw(const void* data, size_t size) {
    append(data, size);
    return *this;
  }
  StreamRecordWriter& dword(DWORD value) { return raw(&value, sizeof value); }
  StreamRecordWriter& word(WORD value) { return raw(&value, sizeof value); }

  // Overwrites bytes already written, for damaging a record.
  void word(WORD value, size_t at) { std::memcpy(bytes_.data() + at, &value, sizeof value); }
  void dword(DWORD value, size_t at) { std::memcpy(bytes_.data() + at, &value, sizeof value); }

  const std::vector<BYTE>& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  StreamRecordWriter& record(VARTYPE type, const BYTE* value) {
    opc::StreamValue record{};
    record.vt = type;
    if (value != nullptr) std::memcpy(record.value, value, sizeof record.value);
    return raw(&record, sizeof record);
  }

  void append(const void* data, size_t size) {
    const auto* first = static_cast<const BYTE*>(data);
    bytes_.insert(bytes_.end(), first, first + size);
  }

  std::vector<BYTE> bytes_;
};

}  // namespace format::testing
