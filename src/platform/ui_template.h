// Dialog templates as data: what the dialog runtime builds a dialog from.
//
// The same data serves both backends: the headless POSIX runtime creates its controls
// from it, and the Windows build generates its resource script (.rc) from it. Positions
// and sizes are dialog units, as in a resource script. Texts are UTF-8 in the source;
// the runtime receives them in CP932 (resources/dialog_templates.h converts them).
#pragma once

#include <cstdint>
#include <span>

namespace nypr::platform {

enum class ControlKind : uint8_t {
  Button,     // push button (PUSHBUTTON / DEFPUSHBUTTON with kDefault)
  CheckBox,   // auto check box
  Radio,      // auto radio button; consecutive radios form one group (see kGroup)
  Edit,       // single-line edit
  Static,     // text label
  GroupBox,   // frame with a caption
  ComboBox,   // drop-down list
  ListView,   // report-view list
  IpAddress,  // four-field IPv4 address control
};

// Style flags of a control (initial state and behaviour).
enum ControlFlag : uint32_t {
  kDisabled = 1u << 0,       // WS_DISABLED
  kHidden = 1u << 1,         // not WS_VISIBLE
  kReadOnly = 1u << 2,       // ES_READONLY
  kNumber = 1u << 3,         // ES_NUMBER: only digits can be typed
  kDefault = 1u << 4,        // BS_DEFPUSHBUTTON
  kGroup = 1u << 5,          // WS_GROUP: starts a new radio group even after a radio
  kSingleSel = 1u << 6,      // list view: LVS_SINGLESEL
  kShowSelAlways = 1u << 7,  // list view: LVS_SHOWSELALWAYS
  kNoSortHeader = 1u << 8,   // list view: LVS_NOSORTHEADER (headers not clickable)
  kMultiLine = 1u << 9,      // static or edit text on several lines
  kRight = 1u << 10,         // right-aligned text (SS_RIGHT / ES_RIGHT)
};

// Control id of labels that the dialog never addresses (IDC_STATIC).
inline constexpr int kStaticId = -1;

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;  // UTF-8; "" for none
  int16_t x, y, cx, cy;
  uint32_t flags;
};

// Style flags of a dialog.
enum DialogFlag : uint32_t {
  kDialogHidden = 1u << 0,  // created without WS_VISIBLE
};

struct DialogTemplate {
  const char* name;   // resource name, e.g. "DIALOG_SEARCHKT_LIST"
  const char* title;  // UTF-8 caption
  int16_t cx, cy;     // client size in dialog units
  uint32_t flags;
  std::span<const ControlTemplate> controls;
};

}  // namespace nypr::platform
