#include "dialogs/templates.h"

#include "dialogs/template_table.h"

namespace korvex::dialogs {

const DialogTemplate* TemplateById(int id) {
  for (const DialogTemplate& t : table::kTemplates) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

const DialogTemplate& TemplateFor(DialogRole role, Language language) {
  for (const table::RoleIds& r : table::kRoleIds) {
    if (r.role == role)
      return *TemplateById(language == Language::kJapanese ? r.japanese : r.english);
  }
  return table::kTemplates[0];
}

}  // namespace korvex::dialogs
