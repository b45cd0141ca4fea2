// Dialog templates as they are stored in a module's resources (the extended
// template format the resource compiler writes), read back field by field.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace korvex::test {

struct StoredControl {
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  int32_t id = 0;
  std::wstring className;  // predefined classes by name ("Button", ...)
  std::wstring caption;
};

struct StoredDialog {
  uint32_t style = 0;
  int16_t cx = 0, cy = 0;
  std::wstring title;
  std::wstring font;
  std::vector<StoredControl> controls;
};

namespace detail {

class TemplateReader {
 public:
  TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  uint16_t Word() {
    uint16_t v = 0;
    Copy(&v, 2);
    return v;
  }
  uint32_t Dword() {
    uint32_t v = 0;
    Copy(&v, 4);
    return v;
  }
  uint8_t Byte() {
    uint8_t v = 0;
    Copy(&v, 1);
    return v;
  }
  std::wstring String() {
    std::wstring s;
    for (uint16_t c = Word(); ok_ && c != 0; c = Word()) s += static_cast<wchar_t>(c);
    return s;
  }
  // A string or a number: 0 for none, 0xFFFF and a number, or a string.
  std::wstring NameOrNumber(uint16_t* number) {
    *number = 0;
    const uint16_t first = Peek();
    if (first == 0) {
      Word();
      return {};
    }
    if (first == 0xFFFF) {
      Word();
      *number = Word();
      return {};
    }
    return String();
  }
  void AlignDword() { at_ = (at_ + 3) & ~size_t{3}; }
  void Skip(size_t n) { at_ += n; }

 private:
  uint16_t Peek() {
    uint16_t v = 0;
    if (at_ + 2 <= size_) std::memcpy(&v, data_ + at_, 2);
    return v;
  }
  void Copy(void* out, size_t n) {
    if (at_ + n > size_) {
      ok_ = false;
      return;
    }
    std::memcpy(out, data_ + at_, n);
    at_ += n;
  }
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

inline std::wstring PredefinedClass(uint16_t atom) {
  switch (atom) {
    case 0x80: return L"Button";
    case 0x81: return L"Edit";
    case 0x82: return L"Static";
    case 0x83: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
    default: return L"#" + std::to_wstring(atom);
  }
}

}  // namespace detail

// The dialog template `id` in `language` stored in `module`; nothing when
// there is none or it is not an extended template.
inline std::optional<StoredDialog> ReadStoredDialog(HMODULE module, int id, WORD language) {
  HRSRC resource = ::FindResourceExW(module, MAKEINTRESOURCEW(5) /* RT_DIALOG */,
                                     MAKEINTRESOURCEW(id), language);
  if (resource == nullptr) return std::nullopt;
  HGLOBAL loaded = ::LoadResource(module, resource);
  const auto* data = static_cast<const uint8_t*>(::LockResource(loaded));
  if (data == nullptr) return std::nullopt;
  detail::TemplateReader r(data, ::SizeofResource(module, resource));
  StoredDialog d;
  if (r.Word() != 1 || r.Word() != 0xFFFF) return std::nullopt;
  r.Dword();  // help id
  r.Dword();  // extended style
  d.style = r.Dword();
  const uint16_t count = r.Word();
  r.Word();  // x
  r.Word();  // y
  d.cx = static_cast<int16_t>(r.Word());
  d.cy = static_cast<int16_t>(r.Word());
  uint16_t number = 0;
  r.NameOrNumber(&number);  // menu
  r.NameOrNumber(&number);  // class
  d.title = r.String();
  if (d.style & DS_SETFONT) {
    r.Word();  // points
    r.Word();  // weight
    r.Byte();  // italic
    r.Byte();  // character set
    d.font = r.String();
  }
  for (uint16_t i = 0; i < count && r.ok(); ++i) {
    r.AlignDword();
    StoredControl c;
    r.Dword();  // help id
    r.Dword();  // extended style
    c.style = r.Dword();
    c.x = static_cast<int16_t>(r.Word());
    c.y = static_cast<int16_t>(r.Word());
    c.cx = static_cast<int16_t>(r.Word());
    c.cy = static_cast<int16_t>(r.Word());
    c.id = static_cast<int32_t>(r.Dword());
    c.className = r.NameOrNumber(&number);
    if (c.className.empty()) c.className = detail::PredefinedClass(number);
    c.caption = r.NameOrNumber(&number);
    r.Skip(r.Word());  // creation data
    d.controls.push_back(c);
  }
  if (!r.ok()) return std::nullopt;
  return d;
}

}  // namespace korvex::test
