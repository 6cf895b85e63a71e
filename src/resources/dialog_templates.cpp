// The module's dialog templates. Every dialog the driver opens is described here once: its
// title and each control's id, kind, text, position and size in dialog units, and initial
// state. Labels the dialogs never address carry kStaticId. Texts are UTF-8 here and reach
// the runtime in CP932 through templateTextCp932 (template_text.cpp). This file depends on
// nothing else, so the resource script generator of the Windows build compiles it alone.
#include "resources/dialog_templates.h"

#include <algorithm>

namespace nypr {
namespace {

using platform::ControlTemplate;
using platform::DialogTemplate;
using platform::kStaticId;
using enum platform::ControlKind;
using enum platform::ControlFlag;

// "DIALOG_WAIT_FINISH"
constexpr ControlTemplate kWaitFinish[] = {
    {6926, Static, "", 10, 8, 180, 16, kMultiLine},  // set from string 60901
    {6927, Static, "", 10, 26, 180, 10, 0},
    {1, Button, "停止", 40, 42, 54, 14, kDefault | kTabStop},
    {2, Button, "閉じる", 106, 42, 54, 14, kDisabled | kTabStop},
};

// "DIALOG_SEARCHKT_LIST"
constexpr ControlTemplate kSearchKtList[] = {
    {1038, ListView, "", 7, 7, 316, 120,
     kSingleSel | kShowSelAlways | kNoSortHeader | kTabStop | kReport},
    {kStaticId, GroupBox, "KT検索のバージョン条件", 7, 132, 244, 66, 0},
    {kStaticId, Static, "KT-3600R:", 14, 145, 76, 8, 0},
    {kStaticId, Static, "Ver1.31以上(DHCPに対応)", 92, 145, 150, 8, 0},
    {kStaticId, Static, "KT-8100S 12,24Dot:", 14, 157, 76, 8, 0},
    {kStaticId, Static, "Ver2.22以上(DHCPに対応)", 92, 157, 150, 8, 0},
    {kStaticId, Static, "（※上記バージョン以下KTのIPアドレスは手動設定してください。）", 14, 171,
     230, 20, kMultiLine},
    {1, Button, "選択", 262, 150, 60, 14, kDefault | kTabStop},
    {2, Button, "ｷｬﾝｾﾙ", 262, 170, 60, 14, kTabStop},
};

// "DIALOG_KT36R"
constexpr ControlTemplate kKt36r[] = {
    {kStaticId, GroupBox, "KTｱﾄﾞﾚｽ設定", 7, 7, 200, 34, 0},
    {6101, IpAddress, "", 15, 20, 112, 13, kTabStop},
    {1038, Button, "KT検索", 135, 19, 64, 14, kTabStop},
    {kStaticId, GroupBox, "ﾌﾟﾘﾝﾀの固有情報", 7, 48, 200, 92, 0},
    {kStaticId, Static, "ヘッド解像度：", 15, 62, 80, 8, 0},
    {6308, Static, "8", 100, 62, 30, 8, kRight},
    {kStaticId, Static, "dot/mm", 136, 62, 40, 8, 0},
    {kStaticId, Static, "最大印字幅：", 15, 77, 80, 8, 0},
    {6309, Static, "80", 100, 77, 30, 8, kRight},
    {kStaticId, Static, "mm", 136, 77, 40, 8, 0},
    {kStaticId, Static, "最大印字長：", 15, 92, 80, 8, 0},
    {6310, Static, "500", 100, 92, 30, 8, kRight},
    {kStaticId, Static, "mm", 136, 92, 40, 8, 0},
    {kStaticId, Static, "最小印字速度：", 15, 107, 80, 8, 0},
    {6311, Static, "70", 100, 107, 30, 8, kRight},
    {kStaticId, Static, "mm/s", 136, 107, 40, 8, 0},
    {kStaticId, Static, "最大印字速度：", 15, 122, 80, 8, 0},
    {6312, Static, "150", 100, 122, 30, 8, kRight},
    {kStaticId, Static, "mm/s", 136, 122, 40, 8, 0},
    {6306, Button, "ﾒﾝﾃﾅﾝｽ・ﾙｰﾁﾝ", 215, 7, 78, 14, kTabStop},
    {6003, Button, "ｾﾝｻｰ感度調整", 215, 25, 78, 14, kTabStop},
    {6941, CheckBox, "自動接続", 215, 45, 78, 10, kHidden | kDisabled | kTabStop},
    {1, Button, "設定", 215, 90, 78, 14, kDefault | kTabStop},
    {2, Button, "取消", 215, 108, 78, 14, kTabStop},
    {9, Button, "ﾍﾙﾌﾟ", 215, 126, 78, 14, kTabStop},
};

// "DIALOG_MAINTENANCE"
constexpr ControlTemplate kMaintenance[] = {
    {kStaticId, Static, "紙なしｾﾝｻｰ：", 7, 10, 92, 8, 0},
    {6776, Edit, "", 101, 8, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 137, 10, 24, 8, 0},
    {kStaticId, Static, "剥離ｾﾝｻｰ：", 7, 26, 92, 8, 0},
    {6702, Edit, "", 101, 24, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 137, 26, 24, 8, 0},
    {kStaticId, Static, "ﾘﾎﾞﾝｾﾝｻｰ：", 7, 42, 92, 8, 0},
    {6701, Edit, "", 101, 40, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 137, 42, 24, 8, 0},
    {kStaticId, Static, "ｵｰﾄｶｯﾀ\nﾄﾞｱｾﾝｻｰ：", 7, 56, 92, 16, kMultiLine},
    {6706, Edit, "", 101, 56, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 137, 58, 24, 8, 0},
    {kStaticId, Static, "ｷﾞｬｯﾌﾟｾﾝｻｰまで：", 7, 78, 92, 8, 0},
    {6703, Edit, "", 101, 76, 32, 12, kDisabled | kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 137, 78, 24, 8, 0},
    {kStaticId, Static, "ﾏｰｸｾﾝｻｰまで：", 7, 94, 92, 8, 0},
    {6704, Edit, "", 101, 92, 32, 12, kDisabled | kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 137, 94, 24, 8, 0},
    {kStaticId, Static, "台座先端まで：\n（剥離印字）", 7, 108, 92, 16, kMultiLine},
    {6705, Edit, "", 101, 108, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 137, 110, 24, 8, 0},
    {kStaticId, Static, "ﾌﾛﾝﾄｶｯﾀｰ距離：", 7, 130, 92, 8, 0},
    {6707, Edit, "", 101, 128, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 137, 130, 24, 8, 0},
    {kStaticId, Static, "ｵｰﾄｶｯﾀｰ距離：", 7, 146, 92, 8, 0},
    {6712, Edit, "", 101, 144, 32, 12, kDisabled | kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 137, 146, 24, 8, 0},
    {kStaticId, Static, "ﾍｯﾄﾞ幅：", 7, 162, 92, 8, 0},
    {6777, Edit, "", 101, 160, 32, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "mm", 137, 162, 24, 8, 0},
    {6708, CheckBox, "履歴制御", 170, 8, 80, 10, kTabStop},
    {kStaticId, Static, "t1：", 170, 24, 30, 8, 0},
    {6709, Edit, "", 202, 22, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 238, 24, 24, 8, 0},
    {kStaticId, Static, "t2：", 170, 39, 30, 8, 0},
    {6710, Edit, "", 202, 37, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 238, 39, 24, 8, 0},
    {kStaticId, Static, "t3：", 170, 54, 30, 8, 0},
    {6711, Edit, "", 202, 52, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 238, 54, 24, 8, 0},
    {kStaticId, Static, "t0：", 170, 69, 30, 8, 0},
    {6713, Edit, "", 202, 67, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 238, 69, 24, 8, 0},
    {6030, Radio, "なし", 170, 84, 40, 10, kGroup | kTabStop},
    {6031, Radio, "あり", 214, 84, 40, 10, 0},
    {6032, Radio, "ﾊﾞｰｺｰﾄﾞの部分のみ", 258, 84, 84, 10, kHidden},
    {6025, Radio, "発行開始のみ", 170, 98, 70, 10, kGroup | kTabStop},
    {6026, Radio, "指定発行枚数ごと", 244, 98, 80, 10, 0},
    {kStaticId, Static, "41)ﾁｪｯｸ枚数：", 170, 114, 70, 8, kGroup},
    {6022, Edit, "", 242, 112, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "枚", 278, 114, 24, 8, 0},
    {6001, CheckBox, "印字検出ｴﾗｰ表示", 170, 128, 90, 10, kGroup | kTabStop},
    {kStaticId, Static, "濃度温度変化率(25℃未満・感熱)：", 170, 146, 140, 8, 0},
    {6923, Edit, "", 312, 144, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "/1000", 348, 146, 24, 8, 0},
    {kStaticId, Static, "濃度温度変化率(25℃未満・熱転写)：", 170, 162, 140, 8, 0},
    {6924, Edit, "", 312, 160, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "/1000", 348, 162, 24, 8, 0},
    {kStaticId, Static, "濃度温度変化率(25℃以上)：", 170, 178, 140, 8, kHidden},
    {6925, Edit, "", 312, 176, 32, 12, kHidden | kTabStop | kAutoHScroll},
    {kStaticId, Static, "印字位置Xの調整：", 7, 188, 70, 8, 0},
    {6801, ComboBox, "", 79, 186, 60, 80, kTabStop | kDropDownList},
    {kStaticId, Static, "印字位置Yの調整：", 7, 204, 70, 8, 0},
    {6803, ComboBox, "", 79, 202, 60, 80, kTabStop | kDropDownList},
    {kStaticId, Static, "調整方式：", 7, 220, 70, 8, 0},
    {6804, ComboBox, "", 79, 218, 60, 80, kTabStop | kDropDownList},
    {1, Button, "設定", 390, 8, 74, 14, kDefault | kTabStop},
    {2, Button, "取消", 390, 26, 74, 14, kTabStop},
    {9, Button, "ﾍﾙﾌﾟ", 390, 44, 74, 14, kTabStop},
    {6794, Button, "初期値に戻る", 390, 62, 74, 14, kTabStop},
    {6774, Button, "高度な設定", 390, 80, 74, 14, kTabStop},
    {6720, Button, "ﾌﾟﾘﾝﾀ状態表示", 390, 98, 74, 14, kTabStop},
    {6200, Button, "各種ﾃｽﾄ", 390, 116, 74, 14, kTabStop},
    {6220, Button, "KTﾊﾞｰｼﾞｮﾝｱｯﾌﾟ", 390, 134, 74, 14, kTabStop},
    {6219, Button, "KTｱﾄﾞﾚｽ変更", 390, 152, 74, 14, kTabStop},
    {kStaticId, Static, "発行枚数：", 390, 178, 40, 8, 0},
    {6009, Edit, "", 432, 176, 32, 12, kTabStop | kAutoHScroll},
    {6012, Button, "発行", 390, 192, 30, 14, kTabStop},
    {6011, Button, "フィード", 424, 192, 40, 14, kTabStop},
};

// "DIALOG_HIGHLEVEL"
constexpr ControlTemplate kHighLevel[] = {
    {kStaticId, Static, "ｷﾞｬｯﾌﾟの+誤差調整：", 7, 10, 200, 8, 0},
    {6766, Edit, "", 209, 8, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 245, 10, 24, 8, 0},
    {kStaticId, Static, "ｷﾞｬｯﾌﾟの-誤差調整：", 7, 25, 200, 8, 0},
    {6759, Edit, "", 209, 23, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 245, 25, 24, 8, 0},
    {kStaticId, Static, "ﾌﾟﾗﾃﾝ用事前ﾌｨｰﾄﾞ量：", 7, 40, 200, 8, 0},
    {6765, Edit, "", 209, 38, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 245, 40, 24, 8, 0},
    {kStaticId, Static, "印字開始時の濃度係数：", 7, 55, 200, 8, 0},
    {6757, Edit, "", 209, 53, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 245, 55, 24, 8, 0},
    {kStaticId, Static, "ｷﾞｬｯﾌﾟ自動検出の基準値：", 7, 70, 200, 8, 0},
    {6783, Edit, "", 209, 68, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "ﾏｰｸ自動検出の基準値：", 7, 85, 200, 8, 0},
    {6784, Edit, "", 209, 83, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "ｽﾛｰｱｯﾌﾟのｽﾃｯﾌﾟ数：", 7, 100, 200, 8, 0},
    {6773, Edit, "", 209, 98, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 245, 100, 24, 8, 0},
    {kStaticId, Static, "スローアップステップ数(熱転)：", 7, 115, 200, 8, 0},
    {6782, Edit, "", 209, 113, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 245, 115, 24, 8, 0},
    {kStaticId, Static, "温度変化のトルク係り数：", 7, 130, 200, 8, 0},
    {6786, Edit, "", 209, 128, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "0.1%", 245, 130, 24, 8, 0},
    {kStaticId, Static, "熱転写時のトルク係り数：", 7, 145, 200, 8, 0},
    {6787, Edit, "", 209, 143, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "0.1%", 245, 145, 24, 8, 0},
    {kStaticId, Static, "巻き取り時間切り替えラベル幅：", 7, 160, 200, 8, 0},
    {6920, Edit, "", 209, 158, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "mm", 245, 160, 24, 8, 0},
    {kStaticId, Static, "熱転写バックフィード時のスタートスピードカウント：", 7, 175, 200, 8, 0},
    {6788, Edit, "", 209, 173, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "x10", 245, 175, 24, 8, 0},
    {kStaticId, Static, "熱転写バックフィードスピードのマイナスカウント：", 7, 190, 200, 8, 0},
    {6789, Edit, "", 209, 188, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "cnt", 245, 190, 24, 8, 0},
    {kStaticId, Static, "ｽﾛｰｱｯﾌﾟのｽﾀｰﾄ速度：", 7, 205, 200, 8, 0},
    {6768, Edit, "", 209, 203, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "mm/s", 245, 205, 24, 8, 0},
    {kStaticId, Static, "剥離時の停止時間：", 7, 220, 200, 8, 0},
    {6767, Edit, "", 209, 218, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "10ms", 245, 220, 24, 8, 0},
    {kStaticId, Static, "ﾗﾍﾞﾙ長ｴﾗｰの余裕値：", 7, 235, 200, 8, 0},
    {6781, Edit, "", 209, 233, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "cnt", 245, 235, 24, 8, 0},
    {kStaticId, Static, "ｷﾞｬｯﾌﾟ測定の最小幅：", 277, 10, 170, 8, 0},
    {6785, Edit, "", 449, 8, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "cnt", 485, 10, 24, 8, 0},
    {kStaticId, Static, "ｷﾞｬｯﾌﾟ/ﾏｰｸ測定時の速度：", 277, 25, 170, 8, 0},
    {6770, Edit, "", 449, 23, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "mm/s", 485, 25, 24, 8, 0},
    {kStaticId, Static, "40mm幅・内巻きﾓｰﾀｰﾌｨｰﾄﾞ時のﾄﾙｸ：", 277, 40, 170, 8, 0},
    {6913, Edit, "", 449, 38, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 485, 40, 24, 8, 0},
    {kStaticId, Static, "80mm幅・内巻きﾓｰﾀｰﾌｨｰﾄﾞ時のﾄﾙｸ：", 277, 55, 170, 8, 0},
    {6914, Edit, "", 449, 53, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 485, 55, 24, 8, 0},
    {kStaticId, Static, "40mm幅・内巻きﾓｰﾀｰﾄﾙｸ：", 277, 70, 170, 8, 0},
    {6799, Edit, "", 449, 68, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 485, 70, 24, 8, 0},
    {kStaticId, Static, "80mm幅・内巻きﾓｰﾀｰﾄﾙｸ：", 277, 85, 170, 8, 0},
    {6719, Edit, "", 449, 83, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 485, 85, 24, 8, 0},
    {kStaticId, Static, "40mm幅・内巻きﾓｰﾀｰ逆転ﾄﾙｸ：", 277, 100, 170, 8, 0},
    {6800, Edit, "", 449, 98, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 485, 100, 24, 8, 0},
    {kStaticId, Static, "80mm幅・内巻きﾓｰﾀｰ逆転ﾄﾙｸ：", 277, 115, 170, 8, 0},
    {6720, Edit, "", 449, 113, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 485, 115, 24, 8, 0},
    {kStaticId, Static, "40mm幅・剥離印字位置補正：", 277, 130, 170, 8, 0},
    {6911, Edit, "", 449, 128, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 485, 130, 24, 8, 0},
    {kStaticId, Static, "80mm幅・剥離印字位置補正：", 277, 145, 170, 8, 0},
    {6912, Edit, "", 449, 143, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 485, 145, 24, 8, 0},
    {kStaticId, Static, "事前ﾌｨｰﾄﾞ時・内巻きﾓｰﾀｰﾄﾙｸ（幅60mm未満）：", 277, 160, 170, 8, 0},
    {6915, Edit, "", 449, 158, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 485, 160, 24, 8, 0},
    {kStaticId, Static, "事前ﾌｨｰﾄﾞ時・内巻きﾓｰﾀｰﾄﾙｸ（幅60mm以上）：", 277, 175, 170, 8, 0},
    {6916, Edit, "", 449, 173, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 485, 175, 24, 8, 0},
    {kStaticId, Static, "事前ﾌｨｰﾄﾞ量（幅60mm未満）：", 277, 190, 170, 8, 0},
    {6917, Edit, "", 449, 188, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 485, 190, 24, 8, 0},
    {kStaticId, Static, "事前ﾌｨｰﾄﾞ量（幅60mm以上）：", 277, 205, 170, 8, 0},
    {6918, Edit, "", 449, 203, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 485, 205, 24, 8, 0},
    {kStaticId, Static, "外巻きﾓｰﾀｰﾄﾙｸ：", 277, 220, 170, 8, 0},
    {6919, Edit, "", 449, 218, 32, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 485, 220, 24, 8, 0},
    {kStaticId, GroupBox, "巻取り時間 ", 7, 252, 300, 40, 0},
    {kStaticId, Static, "幅大：", 14, 264, 30, 8, 0},
    {6930, Radio, "100ms", 46, 263, 46, 10, kGroup | kTabStop},
    {6931, Radio, "120ms", 96, 263, 46, 10, 0},
    {6932, Radio, "140ms", 146, 263, 46, 10, 0},
    {6933, Radio, "160ms", 196, 263, 46, 10, 0},
    {6934, Radio, "180ms", 246, 263, 46, 10, 0},
    {kStaticId, Static, "幅小：", 14, 278, 30, 8, kGroup},
    {6935, Radio, "100ms", 46, 277, 46, 10, kGroup | kTabStop},
    {6936, Radio, "120ms", 96, 277, 46, 10, 0},
    {6937, Radio, "140ms", 146, 277, 46, 10, 0},
    {6938, Radio, "160ms", 196, 277, 46, 10, 0},
    {6939, Radio, "180ms", 246, 277, 46, 10, 0},
    {kStaticId, GroupBox, "熱転写バックフィード ", 314, 252, 216, 40, kGroup},
    {kStaticId, Static, "熱転写バックフィードスピード調整：", 320, 264, 150, 8, 0},
    {6940, Radio, "なし", 330, 277, 40, 10, kGroup | kTabStop},
    {6941, Radio, "あり", 380, 277, 40, 10, 0},
    {6090, CheckBox, "外部巻取りの強制発行", 7, 300, 110, 10, kGroup | kTabStop},
    {kStaticId, Static, "本体走行距離：", 130, 301, 60, 8, 0},
    {6607, Edit, "", 192, 299, 70, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "km", 266, 301, 16, 8, 0},
    {6015, Button, "走行距離をｸﾘｱ", 290, 298, 70, 14, kTabStop},
    {kStaticId, Static, "発行枚数：", 7, 320, 40, 8, 0},
    {6009, Edit, "", 49, 318, 32, 12, kTabStop | kAutoHScroll},
    {6012, Button, "発行", 90, 317, 40, 14, kTabStop},
    {6011, Button, "フィード", 134, 317, 40, 14, kTabStop},
    {1, Button, "設定", 400, 317, 60, 14, kDefault | kTabStop},
    {2, Button, "取消", 466, 317, 60, 14, kTabStop},
};

// "DIALOG_SENSOR"
constexpr ControlTemplate kSensor[] = {
    {kStaticId, GroupBox, "ｾﾝｻｰの出力", 7, 7, 316, 30, 0},
    {kStaticId, Static, "ｷﾞｬｯﾌﾟｾﾝｻｰ：", 14, 20, 60, 8, 0},
    {6705, Edit, "", 76, 18, 36, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 116, 20, 12, 8, 0},
    {kStaticId, Static, "ﾏｰｸｾﾝｻｰ：", 170, 20, 50, 8, 0},
    {6706, Edit, "", 222, 18, 36, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 262, 20, 12, 8, 0},
    {kStaticId, GroupBox, "ｷﾞｬｯﾌﾟｾﾝｻｰ感度の調整", 7, 42, 156, 92, 0},
    {6504, Radio, "手動", 15, 56, 40, 10, kGroup | kTabStop},
    {6505, Radio, "自動", 59, 56, 40, 10, 0},
    {kStaticId, Static, "手動検出の基準値：", 15, 74, 80, 8, kGroup},
    {6703, Edit, "", 97, 72, 30, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 131, 74, 12, 8, 0},
    {6502, Button, "+1", 15, 90, 30, 14, kTabStop},
    {6503, Button, "-1", 49, 90, 30, 14, kTabStop},
    {kStaticId, Static, "抵抗値：", 15, 112, 40, 8, 0},
    {6601, Edit, "", 57, 110, 30, 12, kReadOnly | kTabStop | kAutoHScroll},
    {6016, Button, "設定", 107, 108, 48, 14, kTabStop},
    {kStaticId, GroupBox, "ﾏｰｸｾﾝｻｰ感度の調整", 167, 42, 156, 92, 0},
    {6509, Radio, "手動", 175, 56, 40, 10, kGroup | kTabStop},
    {6510, Radio, "自動", 219, 56, 40, 10, 0},
    {kStaticId, Static, "手動検出の基準値：", 175, 74, 80, 8, kGroup},
    {6704, Edit, "", 257, 72, 30, 12, kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 291, 74, 12, 8, 0},
    {6507, Button, "+1", 175, 90, 30, 14, kTabStop},
    {6508, Button, "-1", 209, 90, 30, 14, kTabStop},
    {kStaticId, Static, "抵抗値：", 175, 112, 40, 8, 0},
    {6506, Edit, "", 217, 110, 30, 12, kReadOnly | kTabStop | kAutoHScroll},
    {6017, Button, "設定", 267, 108, 48, 14, kTabStop},
    {kStaticId, GroupBox, "ｶｯﾄ位置関係", 7, 140, 316, 86, 0},
    {kStaticId, Static, "位置：", 14, 156, 30, 8, 0},
    {6065, Edit, "", 46, 154, 40, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "dot", 90, 156, 16, 8, 0},
    {kStaticId, Static, "位置：", 14, 174, 30, 8, 0},
    {6066, Edit, "", 46, 172, 40, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "mm", 90, 174, 16, 8, 0},
    {kStaticId, Static, "動作回数：", 14, 192, 44, 8, 0},
    {6067, Edit, "", 60, 190, 60, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "回", 124, 192, 12, 8, 0},
    {6069, Button, "奥へ移動", 170, 152, 70, 14, kTabStop},
    {6070, Button, "手前へ移動", 170, 170, 70, 14, kTabStop},
    {6068, Button, "位置初期化", 170, 188, 70, 14, kTabStop},
    {6012, Button, "調整方法", 7, 234, 60, 14, kTabStop},
    {6011, Button, "ﾌｨｰﾄﾞ", 73, 234, 60, 14, kTabStop},
    {2, Button, "閉じる", 263, 234, 60, 14, kTabStop},
};

// "DIALOG_DISPLAY"
constexpr ControlTemplate kDisplay[] = {
    {kStaticId, GroupBox, "ｾﾝｻｰの出力", 7, 7, 170, 100, 0},
    {kStaticId, Static, "ｷﾞｬｯﾌﾟｾﾝｻｰ：", 14, 20, 70, 8, 0},
    {6703, Edit, "", 90, 18, 40, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 134, 20, 12, 8, 0},
    {kStaticId, Static, "ﾏｰｸｾﾝｻｰ：", 14, 36, 70, 8, 0},
    {6704, Edit, "", 90, 34, 40, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 134, 36, 12, 8, 0},
    {kStaticId, Static, "剥離ｾﾝｻｰ：", 14, 52, 70, 8, 0},
    {6702, Edit, "", 90, 50, 40, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 134, 52, 12, 8, 0},
    {kStaticId, Static, "ﾘﾎﾞﾝｾﾝｻｰ：", 14, 68, 70, 8, 0},
    {6701, Edit, "", 90, 66, 40, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 134, 68, 12, 8, 0},
    {kStaticId, Static, "ｵｰﾄｶｯﾀ\nﾄﾞｱｾﾝｻｰ：", 14, 84, 70, 16, kMultiLine},
    {6705, Edit, "", 90, 82, 40, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "%", 134, 84, 12, 8, 0},
    {kStaticId, GroupBox, "ﾗﾍﾞﾙ走行距離", 184, 7, 209, 100, 0},
    {kStaticId, Static, "ﾗﾍﾞﾙ走行距離：", 190, 20, 74, 8, 0},
    {6606, Edit, "", 266, 18, 60, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "km", 330, 20, 30, 8, 0},
    {kStaticId, Static, "ﾍｯﾄﾞ切れ警告距離：", 190, 36, 74, 8, 0},
    {6601, Edit, "", 266, 34, 60, 12, kNumber | kTabStop | kAutoHScroll},
    {kStaticId, Static, "km(1-250)", 330, 36, 50, 8, 0},
    {kStaticId, Static, "本体走行距離：", 190, 52, 74, 8, 0},
    {6607, Edit, "", 266, 50, 60, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "km", 330, 52, 30, 8, 0},
    {6620, Button, "警告距離をｾｯﾄ", 190, 70, 90, 14, kTabStop},
    {6619, Button, "走行距離をｸﾘｱ", 190, 88, 90, 14, kTabStop},
    {kStaticId, GroupBox, "ヘッド状態", 7, 112, 170, 66, 0},
    {kStaticId, Static, "ﾍｯﾄﾞ状態：", 14, 125, 60, 8, 0},
    {6605, Edit, "", 76, 123, 60, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "ﾍｯﾄﾞ抵抗値：", 14, 141, 60, 8, 0},
    {6604, Edit, "", 76, 139, 60, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "Ω", 140, 141, 12, 8, 0},
    {kStaticId, Static, "ﾍｯﾄﾞ温度：", 14, 157, 60, 8, 0},
    {6603, Edit, "", 76, 155, 60, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "℃", 140, 157, 12, 8, 0},
    {kStaticId, GroupBox, "ｶｯﾄ回数", 184, 112, 209, 40, 0},
    {kStaticId, Static, "動作回数：", 190, 126, 44, 8, 0},
    {6067, Edit, "", 236, 124, 60, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "回", 300, 126, 12, 8, 0},
    {6073, Button, "動作回数初期化", 318, 123, 70, 14, kTabStop},
    {kStaticId, Static, "ﾌﾟﾘﾝﾀ環境温度：", 7, 184, 64, 8, 0},
    {6614, Edit, "", 72, 182, 40, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "℃", 116, 184, 12, 8, 0},
    {kStaticId, Static, "ｴﾗｰｺｰﾄﾞ：", 7, 200, 64, 8, 0},
    {6615, Edit, "", 72, 198, 40, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "紙の停止位置：", 7, 216, 64, 8, 0},
    {6618, Edit, "", 72, 214, 200, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "ﾌﾟﾘﾝﾀｰｺﾝﾄﾛｰﾗ\nﾊﾞｰｼﾞｮﾝ：", 184, 158, 64, 16, kMultiLine},
    {6602, Edit, "", 250, 158, 36, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "BIOSﾊﾞｰｼﾞｮﾝ：", 291, 158, 58, 8, 0},
    {6616, Edit, "", 351, 158, 36, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "ﾌﾟﾛｸﾞﾗﾑﾊﾞｰｼﾞｮﾝ：", 184, 178, 64, 8, 0},
    {6617, Edit, "", 250, 178, 36, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "ﾃﾞﾊﾞｲｽﾞｺﾝﾄﾛｰﾗ\nﾊﾞｰｼﾞｮﾝ：", 291, 178, 58, 16, kMultiLine},
    {6622, Edit, "", 351, 178, 36, 12, kReadOnly | kTabStop | kAutoHScroll},
    {2, Button, "閉じる", 333, 230, 60, 14, kTabStop},
};

// "DIALOG_KT36R_IP"
constexpr ControlTemplate kKt36rIp[] = {
    {kStaticId, Static, "MACｱﾄﾞﾚｽ：", 10, 12, 60, 8, 0},
    {6218, Edit, "", 74, 10, 110, 12, kReadOnly | kTabStop | kAutoHScroll},
    {kStaticId, Static, "IPｱﾄﾞﾚｽ：", 10, 30, 60, 8, 0},
    {6202, IpAddress, "", 74, 28, 110, 13, kTabStop},
    {kStaticId, Static, "ｻﾌﾞﾈｯﾄﾏｽｸ：", 10, 48, 60, 8, 0},
    {6203, IpAddress, "", 74, 46, 110, 13, kTabStop},
    {kStaticId, Static, "ｹﾞｰﾄｳｪｲ：", 10, 66, 60, 8, 0},
    {6204, IpAddress, "", 74, 64, 110, 13, kTabStop},
    {1, Button, "設定", 50, 84, 56, 14, kDefault | kTabStop},
    {2, Button, "ｷｬﾝｾﾙ", 114, 84, 56, 14, kTabStop},
};

// "DIALOG_KT36R_TEST"
constexpr ControlTemplate kKt36rTest[] = {
    {6215, Button, "ﾌﾞｻﾞｰﾃｽﾄ", 7, 7, 70, 14, kTabStop},
    {6216, Button, "LEDﾃｽﾄ", 83, 7, 70, 14, kTabStop},
    {6206, ComboBox, "", 7, 30, 40, 60, kTabStop | kDropDownList},
    {6214, Button, "ﾃｽﾄ", 53, 29, 40, 14, kTabStop},
    {6207, Edit, "", 100, 30, 40, 12,
     kReadOnly | kTabStop | kAutoHScroll},  // card read error number
    {6208, Edit, "", 146, 30, 40, 12, kReadOnly | kTabStop | kAutoHScroll},  // number of files
    {6211, Static, "ﾒﾓﾘﾁｪｯｸ正常容量：", 7, 52, 86, 8, 0},                    // text 60001 or 60002
    {6209, Edit, "", 100, 50, 70, 12, kReadOnly | kTabStop | kAutoHScroll},
    {6212, Static, "", 174, 52, 20, 8, 0},
    {6210, Edit, "", 100, 66, 70, 12, kReadOnly | kTabStop | kAutoHScroll},
    {6213, Static, "", 174, 68, 20, 8, 0},
    {6014, Button, "ﾓｰﾀﾃｽﾄ", 7, 92, 70, 14, kTabStop},
    {6021, Button, "印字ﾃｽﾄ", 83, 92, 70, 14, kTabStop},
    {6020, Button, "ｵｰﾄｶｯﾄﾃｽﾄ", 7, 112, 70, 14, kTabStop},
    {6015, Button, "ﾍｯﾄﾞ切れﾁｪｯｸ", 83, 112, 70, 14, kTabStop},
    {2, Button, "ｷｬﾝｾﾙ", 213, 154, 60, 14, kTabStop},
};

// "DIALOG_KT36R_TESTPRT"
constexpr ControlTemplate kKt36rTestPrt[] = {
    {6075, Radio, "標準", 7, 8, 60, 10, kGroup | kTabStop},
    {6076, Radio, "細線", 7, 21, 60, 10, 0},
    {6077, Radio, "普線", 7, 34, 60, 10, 0},
    {6078, Radio, "太線", 7, 47, 60, 10, 0},
    {6079, Radio, "中央縦線", 7, 60, 60, 10, 0},
    {6080, Radio, "Aﾊﾟﾀｰﾝ", 7, 73, 60, 10, 0},
    {6081, Radio, "Bﾊﾟﾀｰﾝ", 7, 86, 60, 10, 0},
    {6082, Radio, "全体", 80, 8, 50, 10, kGroup | kTabStop},
    {6083, Radio, "左側", 80, 21, 50, 10, 0},
    {6084, Radio, "中央", 80, 34, 50, 10, 0},
    {6085, Radio, "右側", 80, 47, 50, 10, 0},
    {6086, Radio, "通常発行", 140, 8, 90, 10, kGroup | kDisabled | kTabStop},
    {6087, Radio, "1秒間隔で連続発行", 140, 21, 90, 10, kHidden | kDisabled},
    {6088, Radio, "2秒間隔で連続発行", 140, 34, 90, 10, kHidden | kDisabled},
    {6089, Edit, "", 140, 52, 40, 12, kTabStop | kAutoHScroll | kGroup},  // number of labels
    {1, Button, "OK", 233, 8, 50, 14, kDefault | kTabStop},
    {2, Button, "ｷｬﾝｾﾙ", 233, 26, 50, 14, kTabStop},
    {6096, Button, "中止", 233, 44, 50, 14, kTabStop},
};

// "DIALOG_MOTO_TEST"
constexpr ControlTemplate kMotoTest[] = {
    {6013, Button, "", 7, 8, 80, 14, kTabStop},   // inner winding motor; text 60027/60028
    {6014, Button, "", 93, 8, 80, 14, kTabStop},  // outer winding motor; text 60029/60030
    {2, Button, "終了", 113, 48, 60, 14, kTabStop},
};

// "DIALOG_HEAD_EXPIRE"
constexpr ControlTemplate kHeadExpire[] = {
    {6072, Edit, "", 10, 10, 40, 12, kTabStop | kAutoHScroll},  // detection start, dots
    {kStaticId, Static, "～", 54, 12, 10, 8, 0},
    {6073, Edit, "", 66, 10, 40, 12, kTabStop | kAutoHScroll},  // detection stop, dots
    {kStaticId, Static, "dot", 110, 12, 16, 8, 0},
    {6928, Static, "ﾁｪｯｸ位置は1から960までに設定してください", 10, 32, 200, 8, 0},
    {1, Button, "OK", 90, 58, 56, 14, kDefault | kTabStop},
    {2, Button, "ｷｬﾝｾﾙ", 154, 58, 56, 14, kTabStop},
};

constexpr DialogTemplate kTemplates[] = {
    {"DIALOG_WAIT_FINISH", "発行終了待ち", 200, 64, 0, kWaitFinish},
    {"DIALOG_SEARCHKT_LIST", "LANのKT一覧", 330, 204, 0, kSearchKtList},
    {"DIALOG_KT36R", "プリンターKT-3600Rの設定", 300, 150, 0, kKt36r},
    {"DIALOG_MAINTENANCE", "メンテナンス用パラメータの設定", 470, 250, 0, kMaintenance},
    {"DIALOG_HIGHLEVEL", "高度な設定", 540, 338, 0, kHighLevel},
    {"DIALOG_SENSOR", "KT3600Rｾﾝｻｰ感度・ｶｯﾄの調整", 330, 256, 0, kSensor},
    {"DIALOG_DISPLAY", "プリンターステータス表示・テスト", 400, 250, 0, kDisplay},
    {"DIALOG_KT36R_IP", "KT36R IPｱﾄﾞﾚｽ設定", 220, 104, 0, kKt36rIp},
    {"DIALOG_KT36R_TEST", "KT-36R各種ﾃｽﾄ", 280, 176, 0, kKt36rTest},
    {"DIALOG_KT36R_TESTPRT", "KT36R印字ﾃｽﾄ", 290, 150, 0, kKt36rTestPrt},
    {"DIALOG_MOTO_TEST", "ﾊｰﾄﾞｳｪｱﾃｽﾄ", 180, 70, 0, kMotoTest},
    {"DIALOG_HEAD_EXPIRE", "ﾍｯﾄﾞ切れﾁｪｯｸ", 220, 80, 0, kHeadExpire},
};

// The setup dialog's texts are loaded by the host under its other name.
constexpr DialogTemplateAlias kAliases[] = {
    {"DIALOG_KT3600R", "DIALOG_KT36R"},
};

// Host dialogs registered by tests (never part of the module's resources).
std::span<const DialogTemplate> g_hostTemplates;

}  // namespace

const platform::DialogTemplate* findDialogTemplate(std::string_view name) {
  for (const DialogTemplateAlias& a : kAliases) {
    if (name == a.alias) {
      name = a.name;
      break;
    }
  }
  auto it = std::find_if(std::begin(kTemplates), std::end(kTemplates),
                         [name](const DialogTemplate& t) { return name == t.name; });
  if (it != std::end(kTemplates)) return &*it;
  auto host = std::find_if(g_hostTemplates.begin(), g_hostTemplates.end(),
                           [name](const DialogTemplate& t) { return name == t.name; });
  return host != g_hostTemplates.end() ? &*host : nullptr;
}

void setHostDialogTemplatesForTesting(std::span<const platform::DialogTemplate> templates) {
  g_hostTemplates = templates;
}

std::span<const platform::DialogTemplate> dialogTemplates() {
  return kTemplates;
}

std::span<const DialogTemplateAlias> dialogTemplateAliases() {
  return kAliases;
}

}  // namespace nypr
