// The setup dialog's printer search on real windows: the list dialog filled from the
// replies of the simulated printer. The search broadcasts, so it runs only inside a private
// network: search_network.sh starts this program there (wine's sockets are made by its
// wineserver, which is started inside it too) and names the printer in NYPR_SEARCH_PRINTER.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "discovery/search_list_dialog.h"
#include "host_fixture.h"
#include "platform/ui.h"
#include "ui/dialog_procs.h"
#include "window_operator.h"

namespace nypr::test {
namespace {

class RealSearchList : public HostTest {};

TEST_F(RealSearchList, ThePrinterFoundFillsTheSetupDialogsAddress) {
  const char* printer = std::getenv("NYPR_SEARCH_PRINTER");
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (printer == nullptr || std::sscanf(printer, "%u.%u.%u.%u", &a, &b, &c, &d) != 4) {
    GTEST_SKIP() << "the search broadcasts: it runs inside its private network "
                    "(test ui_real_search_list)";
  }
  const uint32_t address = (a << 24) | (b << 16) | (c << 8) | d;
  configurePrinter(1, 0x0A000009u);
  {
    WindowOperator op([&](WindowOperator& w) {
      HWND setup = w.waitDialog("プリンターKT-3600Rの設定");
      ASSERT_NE(setup, nullptr);
      EXPECT_EQ(w.ipAddress(setup, 6101), 0x0A000009u);
      w.click(setup, 1038);
      HWND list = w.waitDialog("LANのKT一覧");
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(GetWindow(list, GW_OWNER), setup);  // modal over the setup dialog
      ASSERT_TRUE(w.waitFor([&] { return w.listRows(list, 1038) == 1; }));
      EXPECT_EQ(w.listText(list, 1038, 0, 1), printer);
      EXPECT_EQ(w.listText(list, 1038, 0, 2).rfind("KT-3600R", 0), 0u);
      w.shot(list, "DIALOG_SEARCHKT_LIST");
      w.clickListRow(list, 1038, 0);
      EXPECT_TRUE(w.waitFor([] { return nSearchSel == 0; }));
      w.click(list, 1);
      EXPECT_TRUE(w.waitClosed(list));
      EXPECT_TRUE(w.waitFor([&] { return w.ipAddress(setup, 6101) == address; }));
      w.shot(setup, "DIALOG_KT36R");
      w.click(setup, 1);
      EXPECT_TRUE(w.waitClosed(setup));
    });
    SetupCtxST context{0, nullptr, nullptr};
    EXPECT_EQ(platform::dialogBoxParam("DIALOG_KT36R", nullptr, SetupDlgProc,
                                       reinterpret_cast<intptr_t>(&context)),
              1);
  }
  char stored[16];
  std::snprintf(stored, sizeof stored, "%08X", address);
  EXPECT_EQ(readIni("KT3600R Info", "KT00", "").substr(0, 8), stored);
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace nypr::test
