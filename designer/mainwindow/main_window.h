#pragma once
// The designer's main window (`Form2`): the menu bar, the page area, the catalogue panel and the modifier
// panel. It owns no rules: events become calls of core operations on the document, then the page is drawn
// again from it. Start, autosave, Load, Save, New, Exit and closing follow the work-copy life cycle. The
// secondary windows reach it only as their DesignerHost.

#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "designer/document/menu_document.h"
#include "designer/history/undo_history.h"
#include "designer/pages/designer_host.h"
#include "designer/pages/line_grid.h"
#include "designer/pages/page_layout.h"
#include "platform/folders.h"
#include "platform/user_prompts.h"

namespace tabulo {

class BackgroundDialog;
class CataloguePanel;
class DefaultColorsDialog;
class GroupTitleDialog;
class LineEditorDialog;
class LineOrderDialog;
class ModifierPanel;
class PageGrid;
class PrintDialog;

class MainWindow : public QMainWindow, public DesignerHost {
  Q_OBJECT

 public:
  // Starts the designer on `doc`: folders, work copy, page 1, autosave. When another designer has the maker
  // folder, the user is told and this one is refused: it reads and writes no work copy and must not be
  // shown.
  MainWindow(MenuDocument& doc, UserPrompts& prompts, QWidget* parent = nullptr);
  ~MainWindow() override;

  bool Refused() const { return !claim_->Held(); }

  ModifierPanel* Frame2 = nullptr;  // the modifier panel
  QPushButton* Expand = nullptr;    // switches between the two layouts
  QTimer* Timer1 = nullptr;         // the autosave

  // What the secondary windows reach (see DesignerHost).
  MenuDocument& Document() override { return doc_; }
  UserPrompts& Prompts() override { return prompts_; }
  UndoHistory& History() override { return *history_; }
  void ChangeDone(const std::string& name = {}) override;
  int CurrentPage() const override { return grid_.page; }
  bool BacksShown() const override { return layout_.frame5_visible; }
  std::string LineText(int line) const override;
  std::string LineTag(int line) const override;
  void CommitEditedLine() override;
  void Refresh_Page() override;
  void Update_Page() override;
  void SelectListRow(int row) override;
  void PluRenamed(int32_t plu, const std::string& text) override;
  void StopAutosave() override;
  void StartAutosave() override;
  void ShowFailure(const std::string& message) override;
  void ShowSendResult(const std::string& message) override;

  // Runs a command line and waits for it while the designer keeps working; its exit code, or nothing when
  // it could not be started.
  std::optional<int> RunShell(const std::string& command);

  // Gives a menu item (by item name, e.g. "Print", "SendAll") its window; until then it says that it is not
  // available yet.
  void SetMenuHandler(const QString& item_name, std::function<void()> handler);

  // The program the Upgrade Firmware command starts.
  static std::string FirmwareToolPath();

  // From now on SIGTERM, SIGINT, SIGHUP and the end of the desktop session write the work copy; the signals
  // then end the designer. Once per process, by the program's main().
  void ListenForEndOfSession();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildStatusBar();
  void UpdateStatusBar();
  // The page and panels scaled to the window's size: the design layout is the smallest.
  void ScaleToWindow();
  // Up, Down, Page Up and Page Down on a line of the page; true when the key was used.
  bool MoveFromLine(QObject* watched, QEvent* event);
  void FindInCatalogue();
  void CloseSecondaryWindows();
  void InstallImportCommands();
  void BuildModifierFrame(QWidget* parent);
  void ConnectGrid();
  void MenuCommand(const QString& item_name, const QString& caption);

  void Timer1_Timer();
  void WriteWorkCopyNow();
  void EndOfSessionRequested();
  void CommitOpenLineEditor();
  void Load_Click();
  void Save_Click();
  void SaveAs_Click();
  void SaveTo(const std::string& path);
  void Undo_Click();
  void Redo_Click();
  void UpdateEditMenu();
  void UpdateTitle();
  void ShowUnsaved();
  std::string DialogFolder() const;
  void New_Click();
  void RevertToSent_Click();
  void Exit_Click();
  void UpgradeFirmware_Click();
  void LayOutPages_Click();

  void Linhas_Change(int k);
  void Linhas_LostFocus(int k);
  void Linhas_Click(int k);
  void Linhas_DblClick(int k);
  void Price_Change(int k);
  void Command12_Click(int k);
  void LinhasVerso_Change(int k);
  void LinhasVerso_DblClick(int k);
  void Remove_Click(int k);
  void Picture_Click(int side);
  void Command14_Click();
  void Command15_Click();
  void InsertPage_Click();
  void DeletePage_Click();
  void Expand_Click();
  void ShowPage(int page);
  void ClearLists();
  void NotAvailable(const QString& what);

  std::unique_ptr<MakerFolderClaim> claim_;
  MenuDocument& doc_;
  UserPrompts& prompts_;
  int edited_line_ = -1;  // the line that has the focus, -1 for none
  bool ended_ = false;    // the work copy was written for an end of the session; closing writes nothing
  GridState grid_;
  MainLayout layout_;
  std::unique_ptr<PageGrid> page_;
  CataloguePanel* catalogue_ = nullptr;
  QAction* upgrade_firmware_ = nullptr;
  std::unique_ptr<UndoHistory> history_;
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
  std::map<QString, std::function<void()>> handlers_;

  QWidget* area_ = nullptr;  // the page and the panels, scaled with the window
  double scale_x_ = 1;
  double scale_y_ = 1;
  QLabel* project_status_ = nullptr;
  QLabel* changes_status_ = nullptr;
  QLabel* autosave_status_ = nullptr;
  QLabel* send_status_ = nullptr;

  // The secondary windows, each made on first use (send, reception and translation are their commands').
  QPointer<PrintDialog> print_;
  QPointer<DefaultColorsDialog> colours_;
  QPointer<BackgroundDialog> background_;
  QPointer<LineOrderDialog> line_order_;
  QPointer<LineEditorDialog> line_editor_;
  QPointer<GroupTitleDialog> group_title_;
};

}  // namespace tabulo
