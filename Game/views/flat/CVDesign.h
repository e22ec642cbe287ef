#pragma once
// The design chamber: the local player builds ship designs from a hull and the
// guild's modules, or looks, read-only, at the design of an existing unit.
// The viewport shows the design read-out (background by unit class, the hull
// picture with its slots, the stats against the limits of the class); below
// it a strip of five module cells scrolls over the filtered module list.
// Modules are fitted by dragging them onto a slot or by double-clicking a
// researched one. Game thread only.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Game/dialogs/CDNamePrompt.h"
#include "Game/views/flat/CVDesignRules.h"
#include "Game/views/frame/CVGeneric.h"
#include "media/CImageButton.h"

class CGUnitTemplate;
class CImageButton;

class CDesignView : public CVGeneric {
 public:
  CDesignView(plat::HWND window, plat::HINSTANCE instance);
  ~CDesignView() override;

  ViewType GetViewType() const override { return VIEW_DESIGN; }
  // The first call after a switch activates the view (argument: the id of a
  // unit whose design is shown read-only, or -1 to edit); later calls redraw
  // the module list.
  void Render(std::int32_t argument) override;
  void Invalidate() override;
  void GoToView(plat::WPARAM a, plat::LPARAM b) override;
  void UpdateControlPanel() override;
  void RebuildDisplay() override;
  int OnLButtonDown(int x, int y, plat::WPARAM keys) override;
  // Alt on a list entry: the module's help topic.
  int OnRButtonDown(int x, int y, plat::WPARAM keys) override;
  int OnLButtonUp(int x, int y, plat::WPARAM keys) override;
  int OnLButtonDblClk(int x, int y) override;
  int OnKeyDown(plat::WPARAM key, plat::LPARAM flags) override;
  int OnMouseMove(plat::WPARAM keys, plat::LPARAM position) override;
  // Turns the module read-out's page (basic, costs, defence).
  int OnMouseWheel(plat::WPARAM wheel, plat::LPARAM position) override;
  void OnDrawItem(plat::DRAWITEMSTRUCT* item) override;
  plat::LRESULT OnCommand(std::uint32_t id) override;
  // The goto bar's menu, the module read-out's pages over the list, and the
  // template files anywhere else (nothing below the viewport beside the list).
  int ShowContextMenu(int x, int y) override;
  plat::LRESULT OnMenuCommand(std::uint32_t id) override;
  // The viewed unit's status, or the design list, as the view opened with.
  void RedrawDataPanel() override;
  void OnDataPanelCommand(int row, std::uint32_t argument) override;
  // The view's block of the saved game (version 2); Load changes nothing
  // unless the whole block reads back.
  int SaveState(plat::FILE* file) override;
  int LoadState(plat::FILE* file) override;
  // The status line (a save's "Game saved") counts down a step each 75 ms and
  // goes with its time, as in the other views.
  void PlayFrameAnimation(std::uint32_t elapsedMs) override;
  // A timed status line, over the top of the read-out.
  void DrawStatusText() override;

  // A new working copy of the local chapter's design slot 0 (empty when it
  // holds none); the slot becomes 0.
  void NewDesign();
  // Fits the entry's module into `slot` (-1: the first free slot that takes
  // its type); 1 when fitted.
  int PlaceModule(const ModuleListEntry& entry, int slot);
  void UnfitSlot(int slot, int redraw);
  // The design rules, then the design is stored under `name` into the current
  // slot and announced; the text ID of a refusal, null when saved.
  const char* StoreDesign(const char* name);
  // Template files (directory and name as the save dialog or the load screen
  // chose them). Writing takes the design as it stands; reading refuses a
  // file of another guild, with an unresearched or no hull, or damaged, and
  // asks before unresearched modules are dropped; 1 when the working copy
  // took the file's design.
  int SaveTemplateFile(const char* path);
  int LoadTemplateFile(const char* path);
  void SetModuleFilter(int filter);
  // Builds the current filter's list with its pictures; the count.
  int BuildModuleList();
  // One step: 1 moved, 0 too soon after the last, -1 at the end (beeped) or read-only.
  int ScrollModuleList(int direction);
  // A scroll button held down (direction -1 or 1; 0 released): each frame
  // steps the list while the left button stays down, at the scroll's own pace.
  int HeldScroll() const { return heldScroll_; }
  // Draws the design area: background and, with a hull, the read-out.
  void Redraw(int flush);

  const CGUnitTemplate* Design() const { return design_.get(); }
  int ListCount() const { return listCount_; }
  int ListFirst() const { return scroll_.First(); }
  const ModuleListEntry& ListEntry(int i) const { return moduleList_[static_cast<std::size_t>(i)]; }
  std::uint32_t Saved() const { return saved_; }
  int DesignSlot() const { return designSlot_; }
  int Filter() const { return filter_; }
  void SetTextMode(int on) { textMode_ = on ? 1 : 0; }
  int ModuleDataMode() const { return moduleDataMode_; }
  int TextMode() const { return static_cast<int>(textMode_); }
  // A click in the design area: the mode switch and the upgrade box.
  void OnDesignAreaClick(int x, int y);
  void AutoUpgradeDesign();
  // The hull chooser (new design): the class page, then the hull page of the
  // class clicked; while it is open it takes every click in the game screen's
  // views. A click outside the choosable cells cancels and gives the design
  // back as it was.
  void OpenHullChooser();
  // 0 closed, 1 class page, 2 hull page.
  int ChooserPage() const { return chooserPage_; }
  int ChooserHullCount() const { return chooserHullCount_; }
  const HullOffer& ChooserHull(int n) const { return chooserHulls_[static_cast<std::size_t>(n)]; }

 private:
  // The status time of a line shown until it is replaced.
  static constexpr std::uint16_t kStatusUntilReplaced = 0xFFFF;

  void Activate(std::int32_t argument);
  // Draws the whole screen again after a modal dialog.
  void AfterDialog();
  void DrawModuleList();
  // A visible button's current face on the composition surface.
  static void DrawButtonFace(CImageButton* button);
  void DrawDesignBackground();
  void DrawDesignReadout();
  void DrawStatLine(int y, const char* label, bool heading, const char* value, int k, bool hundredths,
                    plat::COLORREF colour);
  void DrawStatBar(int y, std::uint32_t classMin, std::uint32_t classMax, std::uint32_t value, bool hundredths,
                   plat::COLORREF colour);
  void LoadSlotImages();
  // The guild whose pictures show the design: the viewed unit's while
  // read-only, else the local player's.
  int ShownGuild() const;
  // The read-out's texts and pictures, fetched once and kept, so that a
  // redraw of an unchanged design allocates nothing.
  const char* CachedText(const char* id);
  const char* CachedPerTurn(int line, std::uint32_t value);
  const char* ShieldLineText(int attackType);
  enum CachedPictureKind { kBackgroundPicture, kHullPicture, kAnchorPicture, kCachedPictures };
  CSprite* CachedPicture(CachedPictureKind kind, const char* path, plat::HMODULE module, plat::DWORD key, int width,
                         int height);
  void ShowDataPicture(const char* path);
  // The design-slot list in the data panel, which no hover then covers.
  void ShowDesignSlots();
  bool PanelShowsDesignSlots() const;
  void SelectDesignSlot(int row, std::uint32_t flags);
  void SaveDesign();
  // The name prompt, asked again after "MUSTENTN" while the player confirms
  // an empty name; false when cancelled. `name` is the starting text.
  bool AskDesignName(std::span<char, kNameBufferSize> name);
  void UpdateSavedState();
  bool IsSameAsStored() const;
  int ListEntryAt(int x) const;
  void Hover(int x, int y);
  // The asteroid or unit of the goto slot under x in the data panel, once.
  void HoverGotoSlot(int x);
  void DrawChooser(int hovered);
  void ChooserClick(int x, int y);
  void ChooserHover(int x, int y);
  void CloseHullChooser(CGHull* chosen);

  std::uint32_t active_ = 0;
  std::array<ModuleListEntry, kModuleListCapacity> moduleList_{};
  std::array<std::unique_ptr<CSprite>, kModuleListCapacity> listImage_{};
  std::array<std::unique_ptr<CSprite>, 20> slotImage_{};
  std::unique_ptr<CSprite> emptyCellImage_;
  // The viewed unit's chapter plate, filling the list while read-only.
  std::unique_ptr<CSprite> viewedPlate_;
  ModuleListScroll scroll_;
  std::uint8_t designSlot_ = 0;
  std::unique_ptr<CImageButton> scrollLeftButton_, scrollRightButton_, saveButton_, newDesignButton_;
  std::array<std::unique_ptr<CImageButton>, kModuleFilterCount> filterButton_{};
  int listCount_ = 0;
  int filter_ = kAllModulesFilter;
  std::uint32_t saved_ = 1;
  std::unique_ptr<CGUnitTemplate> design_;
  std::unique_ptr<CGUnitTemplate> keptDesign_;
  std::uint8_t designValid_ = 255;
  std::uint32_t readOnly_ = 0;
  std::uint32_t viewedUnitId_ = 0xFFFFFFFFu;
  std::uint8_t moduleDataMode_ = 0;
  std::uint16_t hoveredModule_ = 0xFFFF;
  std::uint16_t draggedModule_ = 0xFFFF;
  std::unique_ptr<CSprite> dragImage_, dragBackground_;
  int dragX_ = -1, dragY_ = -1;
  std::uint32_t textMode_ = 0;
  std::uint32_t canAutoUpgrade_ = 0;
  int heldScroll_ = 0;
  std::uint32_t statusElapsedMs_ = 0;
  // The info panel has shown, and its pages may have filled the data panel.
  bool dataPanelLent_ = false;
  std::uint16_t shownGotoKind_ = 0xFFFF;
  std::uint32_t shownGotoId_ = 0xFFFFFFFFu;
  std::vector<std::pair<const char*, std::string>> textCache_;
  struct PerTurnText {
    std::uint32_t value = 0;
    bool made = false;
    std::string text;
  };
  std::array<PerTurnText, 2> perTurn_{};
  std::array<std::string, 8> shieldTexts_{};
  struct KeptPicture {
    std::string path;
    std::unique_ptr<CSprite> sprite;
  };
  std::array<KeptPicture, kCachedPictures> pictures_{};
  int chooserPage_ = 0;
  int chooserClass_ = -1;
  int chooserHovered_ = -1;
  std::unique_ptr<CGUnitTemplate> chooserKept_;
  std::uint32_t chooserKeptSaved_ = 1;
  std::uint8_t chooserKeptValid_ = 255;
  std::array<HullOffer, kChooserHullCells> chooserHulls_{};
  int chooserHullCount_ = 0;
};
