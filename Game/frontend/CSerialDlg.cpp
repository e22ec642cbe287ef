#include "Game/frontend/CSerialDlg.h"

#include "Game/app/CClntApp.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/ScreenHistory.h"
#include "hvmulti/HvMRecords.h"

using namespace plat;

namespace {

struct SerialButton {
  SerialGroup group;
  std::uint32_t value;
};

constexpr std::int16_t kStays = kScreenConnection;  // a choice never ends the screen

// The choices, then OK and the two side buttons.
constexpr std::array<ScreenButton, 27> kButtons{{
    {3161, 262, 356, 34, 22, "sp1up.ima", "sp1.ima", "FESRPRT1", kStays},
    {3162, 310, 356, 42, 22, "sp2up.ima", "sp2.ima", "FESRPRT2", kStays},
    {3163, 364, 356, 39, 22, "sp3up.ima", "sp3.ima", "FESRPRT3", kStays},
    {3164, 418, 356, 36, 22, "sp4up.ima", "sp4.ima", "FESRPRT4", kStays},
    {3177, 233, 384, 98, 22, "14400up.ima", "14400.ima", "FESR14_4", kStays},
    {3178, 344, 384, 98, 22, "19200up.ima", "19200.ima", "FESR19_2", kStays},
    {3179, 455, 384, 98, 22, "38400up.ima", "38400.ima", "FESR38_4", kStays},
    {3180, 566, 384, 98, 22, "56000up.ima", "56000.ima", "FESR56_0", kStays},
    {3181, 233, 412, 96, 22, "57600up.ima", "57600.ima", "FESR57_6", kStays},
    {3182, 344, 412, 111, 22, "115200up.ima", "115200.ima", "FESR1152", kStays},
    {3183, 470, 412, 111, 22, "128000up.ima", "128000.ima", "FESR1280", kStays},
    {3184, 595, 412, 112, 22, "256000up.ima", "256000.ima", "FESR2560", kStays},
    {3165, 232, 440, 34, 22, "sb1up.ima", "sb1.ima", "FESRST_1", kStays},
    {3166, 282, 440, 63, 22, "sb15up.ima", "sb15.ima", "FESRST15", kStays},
    {3167, 358, 440, 38, 22, "sb2up.ima", "sb2.ima", "FESRST_2", kStays},
    {3168, 192, 468, 85, 23, "parnneup.ima", "parnne.ima", "FESRPARN", kStays},
    {3169, 290, 468, 68, 23, "paroddup.ima", "parodd.ima", "FESRPARO", kStays},
    {3170, 370, 468, 84, 23, "parevnup.ima", "parevn.ima", "FESRPARE", kStays},
    {3171, 468, 468, 82, 23, "parmrkup.ima", "parmrk.ima", "FESRPARM", kStays},
    {3172, 275, 496, 86, 23, "flwnneup.ima", "flwnne.ima", "FESRFLWN", kStays},
    {3173, 374, 496, 68, 23, "flwdtrup.ima", "flwdtr.ima", "FESRFLWD", kStays},
    {3174, 456, 496, 67, 23, "flwrtsup.ima", "flwrts.ima", "FESRFLWR", kStays},
    {3175, 267, 524, 176, 23, "flwradup.ima", "flwrad.ima", "FESRFLWA", kStays},
    {3176, 455, 524, 144, 23, "flwxonup.ima", "flwxon.ima", "FESRFLWX", kStays},
    {3160, 644, 512, 73, 35, "okup3.ima", "ok3.ima", "FESR__OK", kScreenSessions},
    {3185, 0, 190, 46, 198, "prvs13up.ima", "prevus13.ima", "FESRPREV", kScreenBack},
    {3186, 754, 190, 46, 198, "mnsc13up.ima", "mainsc13.ima", "FESRMAIN", kScreenTitle},
}};
constexpr std::array<SerialButton, 24> kChoices{{
    {kSerialPort, 1},      {kSerialPort, 2},      {kSerialPort, 3},     {kSerialPort, 4},      {kSerialBaud, 14400},
    {kSerialBaud, 19200},  {kSerialBaud, 38400},  {kSerialBaud, 56000}, {kSerialBaud, 57600},  {kSerialBaud, 115200},
    {kSerialBaud, 128000}, {kSerialBaud, 256000}, {kSerialStopBits, 1}, {kSerialStopBits, 15}, {kSerialStopBits, 2},
    {kSerialParity, 0},    {kSerialParity, 1},    {kSerialParity, 2},   {kSerialParity, 3},    {kSerialFlow, 0},
    {kSerialFlow, 1},      {kSerialFlow, 2},      {kSerialFlow, 3},     {kSerialFlow, 4},
}};
constexpr std::array<std::size_t, 5> kSettingsOffsets{HvMServiceEx_Struct::kSerialPort, HvMServiceEx_Struct::kBaudRate,
                                                      HvMServiceEx_Struct::kStopBits, HvMServiceEx_Struct::kParity,
                                                      HvMServiceEx_Struct::kFlowControl};

class CSerialDlg : public CFrontEndScreen {
 public:
  explicit CSerialDlg(CClntApp& app) : CFrontEndScreen(app, "bkgnd9.ima", kButtons, kScreenBack) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    for (std::size_t i = 0; i < kChoices.size(); ++i)
      if (m_choices.values[kChoices[i].group] == kChoices[i].value) Button(i).Toggle();
    return 0;
  }
  // Only the connection-type screen sounds as it opens and closes.
  const char* OpeningSound() const override { return nullptr; }
  const char* ClosingSound(std::int16_t) const override { return nullptr; }

 protected:
  bool Accept(HWND, const ScreenButton& b) override {
    for (std::size_t i = 0; i < kChoices.size(); ++i) {
      if (kButtons[i].id != b.id) continue;
      const SerialButton& choice = kChoices[i];
      const std::uint32_t previous = m_choices.values[choice.group];
      if (!m_choices.Choose(choice.group, choice.value)) return false;
      for (std::size_t j = 0; j < kChoices.size(); ++j) {
        if (j != i && !(kChoices[j].group == choice.group && kChoices[j].value == previous)) continue;
        Button(j).Toggle();
        DrawOverControl(Button(j).sprite.get(), Button(j).window);
      }
      return false;
    }
    if (b.result == kScreenSessions) {
      HvMServiceEx_Struct settings;
      settings.bytes = m_app.ServiceSettings();
      for (std::size_t g = 0; g < kSettingsOffsets.size(); ++g)
        settings.SetU32(kSettingsOffsets[g], m_choices.values[g]);
      m_app.KeepServiceSettings(settings.bytes);
    }
    return true;
  }

 private:
  SerialChoices m_choices;
};

}  // namespace

bool SerialChoices::Choose(SerialGroup group, std::uint32_t value) {
  if (values[group] == value) return false;
  values[group] = value;
  return true;
}

std::int16_t RunSerialDlg(CClntApp& app) {
  CSerialDlg dialog(app);
  return dialog.Run("IDD_SERIAL");
}
