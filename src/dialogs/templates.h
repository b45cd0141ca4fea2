// The library's dialog templates: every dialog and page it shows, and the
// texts the dialogs put into lists and tabs, in English and Japanese.
//
// The data is defined once, here and in template_table.h, and used twice:
// the Linux host builds its dialogs from it at run time, and the Windows
// build generates its dialog resources from the same table. Nothing here
// depends on an operating system; captions are UTF-8.
#pragma once

#include "platform/dialog_vocabulary.h"

#include <cstdint>
#include <string_view>

namespace korvex::dialogs {

// The templates' own words (styles, control classes, the template records)
// are the dialog seam's.
using namespace platform::dialog;

// A text in both languages (list entries, tab captions). Entries with "%d"
// are printf formats.
struct DualText {
  const char* english;
  const char* japanese;
  const char* In(Language language) const {
    return language == Language::kJapanese ? japanese : english;
  }
};

// The role of a template; each role has one English and one Japanese one.
enum class DialogRole : uint8_t {
  kCamera,
  kAnalogSheet,
  kAnalogPage,
  kImageSheet,
  kImageFilterPage,
  kGrayPage,
};

// The template of a role in a language (never null).
const DialogTemplate& TemplateFor(DialogRole role, Language language);
// The template with a resource id, or null.
const DialogTemplate* TemplateById(int id);

}  // namespace korvex::dialogs
