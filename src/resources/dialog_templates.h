// The module's dialog templates (the resource section of a Windows build), as data.
//
// Every dialog the driver shows is listed here once, with its title and controls in
// dialog units. The headless runtime builds its dialogs from this table; the Windows build
// generates its resource script from it. Texts are kept in UTF-8 and reach the runtime in
// CP932 through templateTextCp932, the one place that converts them.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/ui_template.h"

namespace nypr {

// The template of that resource name (or of one of its other names), null when none.
const platform::DialogTemplate* findDialogTemplate(std::string_view name);
// Every template, in a fixed order (for tools that export them).
std::span<const platform::DialogTemplate> dialogTemplates();
// Other names under which a template is also reached: {alias, template name}.
struct DialogTemplateAlias {
  const char* alias;
  const char* name;
};
std::span<const DialogTemplateAlias> dialogTemplateAliases();

// Templates of the host's own dialogs that the driver works on through callbacks (the
// print-condition page), for tests that build them in the headless runtime. They are
// searched after the driver's own; an empty span removes them. Not for use while dialogs
// are being opened on other threads.
void setHostDialogTemplatesForTesting(std::span<const platform::DialogTemplate> templates);

// A template text (title or control text) in CP932.
std::string templateTextCp932(const char* utf8);

}  // namespace nypr
