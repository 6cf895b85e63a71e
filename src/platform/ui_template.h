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
  kGroup = 1u << 5,          // WS_GROUP: starts a group; the control after a radio group
                             // carries it too, so arrow keys stay inside the group
  kSingleSel = 1u << 6,      // list view: LVS_SINGLESEL
  kShowSelAlways = 1u << 7,  // list view: LVS_SHOWSELALWAYS
  kNoSortHeader = 1u << 8,   // list view: LVS_NOSORTHEADER (headers not clickable)
  kMultiLine = 1u << 9,      // static or edit text on several lines
  kRight = 1u << 10,         // right-aligned text (SS_RIGHT / ES_RIGHT)
  // Keyboard and look of the real window; the headless runtime takes the first tab stop
  // as the focus and otherwise does not need them.
  kTabStop = 1u << 11,       // WS_TABSTOP: reached with the Tab key
  kAutoHScroll = 1u << 12,   // ES_AUTOHSCROLL: an edit scrolls instead of refusing text
  kDropDownList = 1u << 13,  // combo box: CBS_DROPDOWNLIST (pick only, no typing)
  kReport = 1u << 14,        // list view: LVS_REPORT (rows and column headers)
};
// The flags that only shape the real window (masked out where behaviour is compared).
inline constexpr uint32_t kWindowLookFlags = kTabStop | kAutoHScroll | kDropDownList | kReport;

// Control id of labels that the dialog never addresses (IDC_STATIC).
inline constexpr int kStaticId = -1;

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;  // UTF-8; "" for none
  int16_t x, y, cx, cy;
  uint32_t flags;
};

// Style flags of a dialog. Every dialog is a modal pop-up with a caption and a system
// menu, in the dialog font below.
enum DialogFlag : uint32_t {
  kDialogHidden = 1u << 0,  // created without WS_VISIBLE
};

// The dialogs' font and language: their texts are Japanese, so the resources are marked
// Japanese (code page 932) and the font has the Shift-JIS character set. Dialog units
// follow from this font (9 point: 1.5 pixels across and 1.5 down per unit at 96 dpi).
inline constexpr const char* kDialogFontFace = "MS Shell Dlg";
inline constexpr int kDialogFontPoints = 9;
inline constexpr int kDialogFontCharset = 128;       // SHIFTJIS_CHARSET
inline constexpr uint16_t kDialogLanguage = 0x0411;  // Japanese (Japan)
inline constexpr int kDialogCodePage = 932;

struct DialogTemplate {
  const char* name;   // resource name, e.g. "DIALOG_SEARCHKT_LIST"
  const char* title;  // UTF-8 caption
  int16_t cx, cy;     // client size in dialog units
  uint32_t flags;
  std::span<const ControlTemplate> controls;
};

}  // namespace nypr::platform
