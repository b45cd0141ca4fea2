// The dialog templates: every role in both languages, control ids unique
// within a template, controls inside their dialog, and the captions the
// dialogs must show.
#include "dialogs/control_ids.h"
#include "dialogs/template_table.h"
#include "dialogs/templates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace korvex::dialogs {
namespace {

TEST(DialogTemplates, EachRoleHasItsIdsTitlesAndSizes) {
  struct Expect {
    DialogRole role;
    Language language;
    int id;
    const char* title;
    int cx, cy;
  } cases[] = {
      {DialogRole::kCamera, Language::kEnglish, 106, "Property", 313, 229},
      {DialogRole::kCamera, Language::kJapanese, 101, "プロパティ", 313, 229},
      {DialogRole::kAnalogSheet, Language::kEnglish, 111, "Property", 294, 178},
      {DialogRole::kAnalogSheet, Language::kJapanese, 104, "プロパティ", 294, 199},
      {DialogRole::kAnalogPage, Language::kEnglish, 110, nullptr, 238, 126},
      {DialogRole::kAnalogPage, Language::kJapanese, 105, nullptr, 251, 146},
      {DialogRole::kImageSheet, Language::kEnglish, 108, "Property", 294, 194},
      {DialogRole::kImageSheet, Language::kJapanese, 102, "プロパティ", 294, 194},
      {DialogRole::kImageFilterPage, Language::kEnglish, 107, nullptr, 251, 142},
      {DialogRole::kImageFilterPage, Language::kJapanese, 103, nullptr, 251, 142},
      {DialogRole::kGrayPage, Language::kEnglish, 112, nullptr, 251, 142},
      {DialogRole::kGrayPage, Language::kJapanese, 113, nullptr, 251, 142},
  };
  for (const Expect& e : cases) {
    const DialogTemplate& t = TemplateFor(e.role, e.language);
    EXPECT_EQ(t.id, e.id);
    EXPECT_EQ(t.language, e.language) << t.id;
    EXPECT_EQ(t.title ? std::string(t.title) : "", e.title ? std::string(e.title) : "") << t.id;
    EXPECT_EQ(t.cx, e.cx) << t.id;
    EXPECT_EQ(t.cy, e.cy) << t.id;
  }
  EXPECT_EQ(TemplateById(109), nullptr);
  EXPECT_EQ(LanguageOf(1041), Language::kJapanese);
  EXPECT_EQ(LanguageOf(1033), Language::kEnglish);
}

TEST(DialogTemplates, ControlsHaveUniqueIdsAndLieInsideTheirDialog) {
  for (const DialogTemplate& t : table::kTemplates) {
    std::set<int> seen;
    for (int i = 0; i < t.controlCount; ++i) {
      const ControlTemplate& c = t.controls[i];
      if (c.id != kStaticId) {
        EXPECT_TRUE(seen.insert(c.id).second) << t.id << " id " << c.id;
      }
      EXPECT_GE(c.x, 0) << t.id << " id " << c.id;
      EXPECT_GE(c.y, 0) << t.id << " id " << c.id;
      EXPECT_LE(c.x + c.cx, t.cx) << t.id << " id " << c.id;
      if (c.cls != ControlClass::kComboBox) {
        EXPECT_LE(c.y + c.cy, t.cy) << t.id << " id " << c.id;
      }
    }
  }
}

const ControlTemplate* FindControl(const DialogTemplate& t, int id) {
  for (int i = 0; i < t.controlCount; ++i) {
    if (t.controls[i].id == id) return &t.controls[i];
  }
  return nullptr;
}

TEST(DialogTemplates, CaptionsFollowTheLanguage) {
  const DialogTemplate& en = TemplateFor(DialogRole::kCamera, Language::kEnglish);
  const DialogTemplate& ja = TemplateFor(DialogRole::kCamera, Language::kJapanese);
  EXPECT_STREQ(en.Caption(*FindControl(en, kIdCancel)), "Cancel");
  EXPECT_STREQ(ja.Caption(*FindControl(ja, kIdCancel)), "キャンセル");
  EXPECT_STREQ(ja.Caption(*FindControl(ja, ids::kApply)), "適用(&A)");
  EXPECT_STREQ(ja.Caption(*FindControl(ja, kIdOk)), "OK");
  const DialogTemplate& analogJa = TemplateFor(DialogRole::kAnalogSheet, Language::kJapanese);
  EXPECT_STREQ(analogJa.Caption(*FindControl(analogJa, kIdDefault)), "規定値(&D)");
  // Pages carry the same captions in both languages.
  const DialogTemplate& pageJa = TemplateFor(DialogRole::kAnalogPage, Language::kJapanese);
  EXPECT_STREQ(pageJa.Caption(*FindControl(pageJa, ids::kAutoIrisExposure)), "Exposure");
  EXPECT_STREQ(pageJa.Caption(*FindControl(pageJa, ids::kExposureTime)), "= msec");
  // Every labelled group and static of the camera dialog has a Japanese form.
  for (int i = 0; i < ja.controlCount; ++i) {
    const ControlTemplate& c = ja.controls[i];
    if (c.english != nullptr) {
      EXPECT_NE(c.japanese, nullptr) << c.english;
    }
  }
  EXPECT_STREQ(table::kColorModeTexts[1].japanese, "白黒 %dbit ※");
  EXPECT_STREQ(table::kClockTexts[0].english, "Nomal(24MHz)");
}

}  // namespace
}  // namespace korvex::dialogs
