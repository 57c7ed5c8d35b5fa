#include "designer/mainwindow/main_window.h"

#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTime>
#include <QUrl>
#include <algorithm>
#include <iostream>

#include "designer/catalogue/catalogue_panel.h"
#include "designer/catalogue/modifier_panel.h"
#include "designer/history/sent_menus.h"
#include "designer/import/import_menu.h"
#include "designer/import/import_texts.h"
#include "designer/import/page_fill_dialog.h"
#include "designer/mainwindow/designer_session.h"
#include "designer/mainwindow/user_guide.h"
#include "designer/mainwindow/window_commands.h"
#include "designer/pages/background_dialog.h"
#include "designer/pages/default_colors_dialog.h"
#include "designer/pages/group_title_dialog.h"
#include "designer/pages/line_editor_dialog.h"
#include "designer/pages/line_order_dialog.h"
#include "designer/pages/page_grid_widget.h"
#include "designer/pages/page_operations.h"
#include "designer/pages/page_view.h"
#include "designer/pages/widget_helpers.h"
#include "designer/printing/print_dialog.h"
#include "platform/end_signals.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

// Help, the last menu: "User guide" (F1, in every window of the designer) opens the guide in the desktop's
// program for it.
void InstallHelpMenu(QMenuBar& bar, UserPrompts& prompts) {
  QMenu* help = bar.addMenu("&Help");
  help->setObjectName("HelpMenu");
  QAction* guide = help->addAction("&User guide");
  guide->setObjectName("UserGuide");
  guide->setShortcut(QKeySequence::HelpContents);
  guide->setShortcutContext(Qt::ApplicationShortcut);
  QObject::connect(guide, &QAction::triggered, help, [&prompts] {
    const std::string file = UserGuideFile();
    if (file.empty()) {
      prompts.Message(UserGuideMissingMessage());
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file)))) {
      prompts.Message("No program of the desktop opens the user guide " + file +
                      ": open it with a text editor or a web browser.");
    }
  });
}

int IndexOf(QObject* object) {
  return object->property("Index").toInt();
}

bool IsEnter(QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  int key = static_cast<QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Leaving a line for another control of the designer commits it; a message box or another program taking
// the focus for a moment does not.
bool IsLeavingLine(QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

// A caption with its mnemonic ("&Load") as the user reads it and as an undo step is named ("Load").
QString Plain(const char* caption) {
  return Q(caption).remove('&');
}

// The desktop's keys for a standard command; where the desktop names none (some have no Save As or Quit
// key), the usual one.
QList<QKeySequence> StandardKeys(QKeySequence::StandardKey key, QKeyCombination usual) {
  QList<QKeySequence> keys = QKeySequence::keyBindings(key);
  if (keys.isEmpty()) keys.append(QKeySequence(usual));
  return keys;
}

}  // namespace

MainWindow::MainWindow(MenuDocument& doc, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent),
      claim_(std::make_unique<MakerFolderClaim>()),
      doc_(doc),
      prompts_(prompts),
      layout_(InitialLayout()),
      history_(std::make_unique<UndoHistory>(doc)) {
  setObjectName("Form2");
  // The design layout is the smallest size; a larger window scales the page and the panels with it.
  auto* central = new QWidget(this);
  central->setMinimumSize(TwipsToPixels(kWindowWidthTwips), TwipsToPixels(kWindowHeightTwips));
  central->installEventFilter(this);
  setCentralWidget(central);
  area_ = central;

  page_ = std::make_unique<PageGrid>(central);
  catalogue_ = new CataloguePanel(doc_, prompts_, central);
  Expand = new QPushButton(Q(kDesignCaption), catalogue_);
  Expand->setObjectName("Expand");
  BuildModifierFrame(central);
  BuildMenus();
  BuildStatusBar();
  ConnectGrid();
  PlaceAt(Expand, layout_.expand);
  PlaceAt(catalogue_, layout_.frame3);
  PlaceAt(Frame2, layout_.frame2);
  page_->ApplyLayout(layout_);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kAutosaveMilliseconds);
  connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);

  // Form_Load. A second designer on the maker folder would overwrite the first one's work copy (and the
  // first would overwrite this one's at its next autosave): it is told and reads and writes nothing.
  grid_.page_updating = false;
  StopAutosave();
  if (Refused()) {
    prompts_.Message(FolderInUseMessage(claim_->Holder()));
  } else {
    StartDesigner(doc_);
    StartAutosave();
  }
  Frame2->SyncModifierPanel = true;
  // The menu the designer starts on is the oldest state; the work copy it came from is its saved state.
  history_->Clear();
  Refresh_Page();
  UpdateTitle();
  UpdateEditMenu();
  SetMenuHandler("Print", [this] { ShowPrintDialog(print_, *this, this); });
  SetMenuHandler("Colors", [this] {
    history_->Label("Colors");  // the window stays open: what it changes later is named after it too
    ShowDefaultColorsDialog(colours_, *this, this);
  });
  InstallLinkCommands(*this);
  InstallImportCommands();
  InstallTranslateCommands(*this);
  InstallHelpMenu(*menuBar(), prompts_);
}

void MainWindow::InstallImportCommands() {
  const std::pair<const char*, ImportMenuCommand> commands[] = {
      {"ImportFromDll", ImportMenuCommand::kFromLastSent},
      {"ImportMercatoXls", ImportMenuCommand::kFromMercato},
      {"ImportFromXls", ImportMenuCommand::kFromXls},
      {"ImportCSV", ImportMenuCommand::kFromCsv},
      {"UpdateCatalogue", ImportMenuCommand::kUpdateCatalogue},
      {"ExportCatalogue", ImportMenuCommand::kExportCatalogue}};
  for (const auto& [name, command] : commands) {
    SetMenuHandler(Q(name), [this, command = command] {
      ImportOptions options;
      options.new_menu = [this](MenuDocument&) { New_Click(); };  // New also empties the work folder
      // An import replaces the whole menu: it is undone as one step, its New included (the menu command
      // around it is the step).
      if (RunImportCommand(command, doc_, prompts_, options)) Refresh_Page();
    });
  }
}

// The file, then the preview; nothing changes before Apply, and what Apply changes is one undo step.
void MainWindow::LayOutPages_Click() {
  CommitEditedLine();
  auto path = prompts_.OpenFileName(kLayOutPagesCaption, kUpdateCatalogueFileName);
  if (!path) return;
  auto* preview = new PageFillDialog(doc_, *path, this);
  preview->setAttribute(Qt::WA_DeleteOnClose);
  connect(preview, &QDialog::accepted, this, [this, preview] {
    std::string error;
    {
      UndoStep step(*history_, kLayOutPagesStepName);
      if (ApplyPageFill(doc_, preview->Plan(), error)) Refresh_Page();
    }
    ChangeDone();
    prompts_.Message(error.empty() ? PageFillSummary(preview->Plan()) : error);
  });
  preview->open();  // modal to the window, so the menu cannot change under the plan shown
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("FileMenu");
  // A command that edits the document is one undo step named after it; the others (saving, leaving) and
  // Load, which makes its own step, are not.
  enum Edits { kEdits, kOwnStep };
  // Captions carry their mnemonic ("&"): Alt and the letter open a menu.
  auto item = [this](QMenu* menu, const char* name, const char* caption, void (MainWindow::*handler)(),
                     Edits edits = kEdits) {
    QAction* action = menu ? menu->addAction(Q(caption)) : menuBar()->addAction(Q(caption));
    action->setObjectName(name);
    connect(action, &QAction::triggered, this,
            [this, handler, step_name = Plain(caption).toStdString(), edits] {
              CommitEditedLine();
              {
                UndoStep step(edits == kEdits ? history_.get() : nullptr, step_name);
                (this->*handler)();
              }
              ChangeDone();
            });
    return action;
  };
  auto later = [this](QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu ? menu->addAction(Q(caption)) : menuBar()->addAction(Q(caption));
    action->setObjectName(name);
    connect(action, &QAction::triggered, this,
            [this, name, caption] { MenuCommand(Q(name), Plain(caption)); });
    return action;
  };
  item(file, "Load", "&Load", &MainWindow::Load_Click, kOwnStep)
      ->setShortcuts(StandardKeys(QKeySequence::Open, Qt::CTRL | Qt::Key_O));
  item(file, "Save", "&Save", &MainWindow::Save_Click, kOwnStep)
      ->setShortcuts(StandardKeys(QKeySequence::Save, Qt::CTRL | Qt::Key_S));
  item(file, "SaveAs", "Save &As...", &MainWindow::SaveAs_Click, kOwnStep)
      ->setShortcuts(StandardKeys(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  item(file, "New", "&New", &MainWindow::New_Click)
      ->setShortcuts(StandardKeys(QKeySequence::New, Qt::CTRL | Qt::Key_N));
  item(file, "RevertToSent", "Re&vert to the menu last sent", &MainWindow::RevertToSent_Click);
  later(file, "Print", "&Print")->setShortcuts(StandardKeys(QKeySequence::Print, Qt::CTRL | Qt::Key_P));
  later(file, "Colors", "&Colors");
  item(file, "Exit", "E&xit", &MainWindow::Exit_Click, kOwnStep)
      ->setShortcuts(StandardKeys(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q));
  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->setObjectName("EditMenu");
  undo_ = edit->addAction("Undo");
  undo_->setObjectName("Undo");
  undo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
  connect(undo_, &QAction::triggered, this, &MainWindow::Undo_Click);
  redo_ = edit->addAction("Redo");
  redo_->setObjectName("Redo");
  redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  connect(redo_, &QAction::triggered, this, &MainWindow::Redo_Click);
  QAction* find = edit->addAction("&Find in the catalogue");
  find->setObjectName("Find");
  find->setShortcuts(StandardKeys(QKeySequence::Find, Qt::CTRL | Qt::Key_F));
  connect(find, &QAction::triggered, this, &MainWindow::FindInCatalogue);
  // Typing on a line changes the document without a command: the names are brought up to date when the
  // menu opens.
  connect(edit, &QMenu::aboutToShow, this, &MainWindow::UpdateEditMenu);
  QMenu* import = menuBar()->addMenu("&Import");
  import->setObjectName("ImportMenu");
  later(import, "ImportFromDll", "Import From &Last Sent PLUs");
  later(import, "ImportMercatoXls", "Import From &Mercato ( XLS)");
  later(import, "ImportFromXls", "Import From &XLS");
  later(import, "ImportCSV", "Import From &CSV");
  later(import, "UpdateCatalogue", "&Update prices and names...");
  QAction* lay_out = import->addAction(Q(kLayOutPagesCaption));
  lay_out->setObjectName("LayOutPages");
  connect(lay_out, &QAction::triggered, this, &MainWindow::LayOutPages_Click);
  later(import, "ExportCatalogue", "&Export catalogue...");
  later(nullptr, "SendAll", "&Send");
  later(nullptr, "Receive", "&Receive");
  upgrade_firmware_ =
      item(nullptr, "UpgradeFirmware", "&Upgrade Firmware", &MainWindow::UpgradeFirmware_Click, kOwnStep);
  // F10 opens the first menu, from where the arrow keys reach every other.
  auto* to_menus = new QAction(this);
  to_menus->setObjectName("MenuBarKey");
  to_menus->setShortcut(Qt::Key_F10);
  addAction(to_menus);
  connect(to_menus, &QAction::triggered, this,
          [this] { menuBar()->setActiveAction(menuBar()->actions().constFirst()); });
}

void MainWindow::BuildModifierFrame(QWidget* parent) {
  Frame2 = new ModifierPanel(doc_, prompts_, *catalogue_, parent);
}

void MainWindow::ConnectGrid() {
  PageGrid& g = *page_;
  for (int k = 0; k < kLinesPerPage; ++k) {
    connect(g.Linhas[k], &QLineEdit::textChanged, this, [this, k] { Linhas_Change(k); });
    connect(g.Price[k], &QLineEdit::textChanged, this, [this, k] { Price_Change(k); });
    connect(g.Command12[k], &QPushButton::clicked, this, [this, k] { Command12_Click(k); });
    connect(g.Remove[k], &QPushButton::clicked, this, [this, k] { Remove_Click(k); });
    connect(g.LinhasVerso[k], &QLineEdit::textChanged, this, [this, k] { LinhasVerso_Change(k); });
    g.Linhas[k]->installEventFilter(this);
    g.LinhasVerso[k]->installEventFilter(this);
    g.Price[k]->installEventFilter(this);
  }
  g.Picture1->installEventFilter(this);
  g.Picture2->installEventFilter(this);
  connect(g.Command14, &QPushButton::clicked, this, &MainWindow::Command14_Click);
  connect(g.Command15, &QPushButton::clicked, this, &MainWindow::Command15_Click);
  connect(g.InsertPage, &QPushButton::clicked, this, &MainWindow::InsertPage_Click);
  connect(g.DeletePage, &QPushButton::clicked, this, &MainWindow::DeletePage_Click);
  connect(Expand, &QPushButton::clicked, this, &MainWindow::Expand_Click);
  connect(catalogue_, &CataloguePanel::RefreshRequested, this, [this] {
    ChangeDone("Catalogue");
    Refresh_Page();
  });
  connect(Frame2, &ModifierPanel::RefreshRequested, this, [this] {
    ChangeDone("Modifiers");
    Refresh_Page();
  });
  connect(catalogue_, &CataloguePanel::RowActivated, this, [this](int row) {
    const auto& rows = catalogue_->List().Rows();
    if (row < 0 || row >= static_cast<int>(rows.size())) return;
    CommitOpenLineEditor();
    HandOverCatalogueRow(doc_, row, rows[row].plu);
    history_->Label("Line editor");
    ShowLineEditor(line_editor_, *this, this);
  });
}

void MainWindow::BuildStatusBar() {
  auto label = [this](const char* name) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    statusBar()->addPermanentWidget(label);
    return label;
  };
  project_status_ = label("ProjectStatus");
  changes_status_ = label("ChangesStatus");
  autosave_status_ = label("AutosaveStatus");
  send_status_ = label("SendStatus");
  autosave_status_->setText("Not autosaved yet");
  send_status_->setText("Not sent yet");
}

// The project's file name and whether it has unsaved changes, as the title says them.
void MainWindow::UpdateStatusBar() {
  project_status_->setText(doc_.ProjectPath.empty()
                               ? QString("Project: untitled")
                               : "Project: " + QFileInfo(Q(doc_.ProjectPath)).fileName());
  project_status_->setToolTip(Q(doc_.ProjectPath));
  changes_status_->setText(Q(history_->Modified() ? "Unsaved changes" : "No unsaved changes"));
}

void MainWindow::ShowFailure(const std::string& message) {
  constexpr std::string_view kProgram = "tabulodesk: ";
  std::string text = message.starts_with(kProgram) ? message.substr(kProgram.size()) : message;
  std::cerr << kProgram << text << '\n';
  QString shown = Q(text);
  if (!shown.isEmpty()) shown[0] = shown[0].toUpper();
  statusBar()->showMessage(shown);
  statusBar()->setToolTip(shown);
}

void MainWindow::ShowSendResult(const std::string& message) {
  send_status_->setText("Last send: " + Q(message));
  send_status_->setToolTip(send_status_->text());
}

void MainWindow::FindInCatalogue() {
  catalogue_->Text1->setFocus(Qt::ShortcutFocusReason);
  catalogue_->Text1->selectAll();
}

void MainWindow::ScaleToWindow() {
  const double x = static_cast<double>(area_->width()) / TwipsToPixels(kWindowWidthTwips);
  const double y = static_cast<double>(area_->height()) / TwipsToPixels(kWindowHeightTwips);
  if (x == scale_x_ && y == scale_y_) return;
  scale_x_ = x;
  scale_y_ = y;
  ScaleTwipsArea(area_, x, y);
  page_->SetScale(x, y);
}

// The lines of the page are one column each: Up and Down move along it, Page Up and Page Down turn the
// page and keep the line.
bool MainWindow::MoveFromLine(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() & ~Qt::KeypadModifier) return false;
  const QString name = watched->objectName();
  const std::array<QLineEdit*, kLinesPerPage>& column = name == "Price"         ? page_->Price
                                                        : name == "LinhasVerso" ? page_->LinhasVerso
                                                                                : page_->Linhas;
  const int k = IndexOf(watched);
  switch (key->key()) {
    case Qt::Key_Up:
      if (k > 0) column[k - 1]->setFocus(Qt::OtherFocusReason);
      return true;
    case Qt::Key_Down:
      if (k + 1 < kLinesPerPage) column[k + 1]->setFocus(Qt::OtherFocusReason);
      return true;
    case Qt::Key_PageUp:
      Command14_Click();
      return true;
    case Qt::Key_PageDown:
      Command15_Click();
      return true;
    default:
      return false;
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area_) {
    if (event->type() == QEvent::Resize) ScaleToWindow();
    return QMainWindow::eventFilter(watched, event);
  }
  const QString name = watched->objectName();
  // On the page's own lines Ctrl+Z and Ctrl+Y undo the document, not only the text of the one line: the
  // line gives the keys up to the Edit menu.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
        (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_Y)) {
      event->ignore();
      return true;
    }
  }
  if ((name == "Linhas" || name == "Price" || name == "LinhasVerso") && MoveFromLine(watched, event)) {
    return true;
  }
  if (name == "Linhas") {
    int k = IndexOf(watched);
    if (event->type() == QEvent::FocusIn) edited_line_ = k;
    if (catalogue_->TakeRowDrag(event)) {
      if (event->type() == QEvent::Drop) {  // a catalogue row dropped on the line: what its "<-" does
        CommitEditedLine();
        Command12_Click(k);
      }
      return true;
    }
    if (IsLeavingLine(event)) {
      if (edited_line_ == k) edited_line_ = -1;
      Linhas_LostFocus(k);
    } else if (event->type() == QEvent::MouseButtonDblClick) {
      Linhas_DblClick(k);
    } else if (event->type() == QEvent::MouseButtonRelease) {
      Linhas_Click(k);
    } else if (IsEnter(event)) {
      Linhas_Click(k);
      Linhas_DblClick(k);
      return true;
    }
  } else if (name == "LinhasVerso") {
    if (event->type() == QEvent::MouseButtonDblClick || IsEnter(event)) {
      LinhasVerso_DblClick(IndexOf(watched));
      return IsEnter(event);
    }
  } else if (name == "Picture1" || name == "Picture2") {
    if (event->type() == QEvent::MouseButtonRelease) Picture_Click(name == "Picture1" ? 1 : 2);
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- Lists and page ----

void MainWindow::Refresh_Page() {
  Frame2->Fill();
  catalogue_->Fill();
  Update_Page();
}

void MainWindow::Update_Page() {
  // What a redraw writes back (the default page colour, resolved picture paths) is no edit of the user's:
  // outside a step, the edits made before it are recorded as they are and the write-backs join the state
  // they were made on, so no undo step is ever only a redraw's.
  const bool outside_step = !history_->InStep();
  if (outside_step) history_->RecordPending();
  grid_.page_updating = true;
  PageView view = BuildPageView(doc_, grid_.page, &PageGrid::CanShow);
  TakeTags(grid_, view);
  page_->Apply(view);
  grid_.page_updating = false;
  if (outside_step) history_->Absorb();
}

void MainWindow::ShowPage(int page) {
  CommitOpenLineEditor();
  grid_.page = page;
  page_->Page->setText(QString::number(page));
  Update_Page();
}

void MainWindow::ClearLists() {
  catalogue_->Clear();
  Frame2->Clear();
}

// ---- File menu and life cycle ----

void MainWindow::StopAutosave() {
  Timer1->stop();
}
void MainWindow::StartAutosave() {
  Timer1->start();
}

// The autosave does not commit the line being typed: a half-typed text could match another PLU's
// description and bind it. What is typed reaches the work copy through the live rename or the next command.
void MainWindow::Timer1_Timer() {
  WriteWorkCopyNow();
}

void MainWindow::WriteWorkCopyNow() {
  if (Refused() || ended_) return;
  WriteReport report = WriteWorkCopy(doc_);
  const QString now = QTime::currentTime().toString("HH:mm");
  if (!report.ok) {
    autosave_status_->setText("Autosave failed at " + now);
    ShowFailure(WorkCopyFailureMessage(report));
    return;
  }
  autosave_status_->setText("Autosaved at " + now);
}

void MainWindow::CommitEditedLine() {
  if (edited_line_ >= 0 && edited_line_ < kLinesPerPage) Linhas_LostFocus(edited_line_);
}

// The line editor writes into the line it was opened on: it is closed, committing, before that line could
// become another one (another page, pages moved, another line or document opened). Its closing redraws the
// page, so the line being typed is committed first.
void MainWindow::CommitOpenLineEditor() {
  CommitEditedLine();
  CloseOpenLineEditor(line_editor_);
}

void MainWindow::ListenForEndOfSession() {
  int pipe = EndRequestPipe();
  if (pipe >= 0) {
    auto* notifier = new QSocketNotifier(pipe, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [pipe, this] {
      char signals_read[16];
      while (::read(pipe, signals_read, sizeof signals_read) > 0) {
      }
      EndOfSessionRequested();
    });
  }
  // Logging out or shutting down: the session manager asks for the data to be saved, then ends the program.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
    CommitEditedLine();
    WriteWorkCopyNow();
  });
}

void MainWindow::EndOfSessionRequested() {
  CommitEditedLine();
  CommitOpenLineEditor();
  WriteWorkCopyNow();
  ended_ = true;
  // Closing every window also ends a message box's own loop, so the program gets back to its main loop.
  QApplication::closeAllWindows();
  QApplication::quit();
}

void MainWindow::Load_Click() {
  CommitOpenLineEditor();
  StopAutosave();
  bool loaded = false;
  {
    UndoStep step(*history_, "Load");
    // A cancelled Load leaves the menu as it was, lettering included; a loaded project's lettering is the
    // reader's (from the file, else from the last used page).
    if (auto path = prompts_.OpenFileName("Load", DialogFolder() + kProjectPattern)) {
      ClearLists();
      OpenProject(doc_, *path);
      doc_.ProjectPath = doc_.ProjectBase + kProjectSuffix;
      // The loaded menu is shown at once, lists included.
      Refresh_Page();
      loaded = true;
    }
  }
  if (loaded) history_->MarkSaved();  // the loaded menu is what is on disk
  StartAutosave();
}

// Save writes under the project's own name without asking; a menu that has none yet is saved as.
void MainWindow::Save_Click() {
  if (doc_.ProjectPath.empty()) {
    SaveAs_Click();
    return;
  }
  StopAutosave();
  CommitOpenLineEditor();
  SaveTo(doc_.ProjectPath);
  StartAutosave();
}

void MainWindow::SaveAs_Click() {
  StopAutosave();
  CommitOpenLineEditor();
  if (auto path = prompts_.SaveFileName("Save", DialogFolder() + kProjectPattern)) SaveTo(*path);
  StartAutosave();
}

void MainWindow::SaveTo(const std::string& path) {
  if (SavesIntoWorkFolder(path)) {
    prompts_.Message(kSaveInWorkFolderMessage);
    return;
  }
  // Saving is no edit: the project's new name and folder are not undone.
  history_->RecordPending();
  WriteReport report = SaveProject(doc_, path);
  if (!report.ok) {
    prompts_.Message(SaveFailureMessage(report));
    history_->Absorb();
    return;
  }
  doc_.ProjectPath = doc_.ProjectBase + kProjectSuffix;
  history_->Absorb();
  history_->MarkSaved();
}

// The folder the file dialogs open in: the project's, unless that is the designer's own work folder.
std::string MainWindow::DialogFolder() const {
  if (doc_.ProjectFolder.empty() || IsWorkFolder(doc_.ProjectFolder)) return {};
  return doc_.ProjectFolder;
}

void MainWindow::New_Click() {
  CommitOpenLineEditor();
  ClearLists();
  NewDocument(doc_);
  doc_.ProjectPath.clear();
  Update_Page();
  page_->Linhas[0]->setFocus();
}

// The menu as the terminals have it, as one step, under the project's own name and folder (so that bare
// picture names keep resolving and Save writes where it did).
void MainWindow::RevertToSent_Click() {
  CommitOpenLineEditor();
  std::vector<SentMenu> sent = SentMenus();
  auto last = std::make_unique<MenuDocument>();
  if (sent.empty() || !ReadSentMenu(sent.front(), *last)) {
    prompts_.Message("No menu sent from this designer is kept yet: there is nothing to revert to.");
    return;
  }
  last->ProjectBase = doc_.ProjectBase;
  last->ProjectFolder = doc_.ProjectFolder;
  last->ProjectPath = doc_.ProjectPath;
  last->Hand = doc_.Hand;
  ClearLists();
  doc_ = std::move(*last);
  Refresh_Page();
}

void MainWindow::Exit_Click() {
  close();
}

// Every secondary window is a window of the main window's own: they are closed without naming them.
void MainWindow::CloseSecondaryWindows() {
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow()) child->close();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The work copy keeps what was not saved, the line being typed and the open line editor included;
  // nothing is asked and the close is never cancelled.
  CommitEditedLine();
  CommitOpenLineEditor();
  WriteWorkCopyNow();
  StopAutosave();
  CloseSecondaryWindows();
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->isVisible() && window->isWindow()) window->close();
  }
  event->accept();
}

void MainWindow::SetMenuHandler(const QString& item_name, std::function<void()> handler) {
  handlers_[item_name] = std::move(handler);
}

void MainWindow::MenuCommand(const QString& item_name, const QString& caption) {
  CommitEditedLine();
  auto found = handlers_.find(item_name);
  if (found != handlers_.end() && found->second) {
    {
      UndoStep step(*history_, caption.toStdString());
      found->second();
    }
    ChangeDone();
    return;
  }
  NotAvailable("\"" + caption + "\"");
}

void MainWindow::ChangeDone(const std::string& name) {
  history_->RecordPending(name);
  UpdateEditMenu();
  UpdateTitle();
}

void MainWindow::Undo_Click() {
  CommitOpenLineEditor();
  if (!history_->Undo()) return;
  ClearLists();
  Refresh_Page();
  UpdateEditMenu();
  UpdateTitle();
}

void MainWindow::Redo_Click() {
  CommitOpenLineEditor();
  if (!history_->Redo()) return;
  ClearLists();
  Refresh_Page();
  UpdateEditMenu();
  UpdateTitle();
}

void MainWindow::UpdateEditMenu() {
  std::string undo = history_->UndoName();
  std::string redo = history_->RedoName();
  undo_->setText(undo.empty() ? QString("Undo") : Q("Undo " + undo));
  redo_->setText(redo.empty() ? QString("Redo") : Q("Redo " + redo));
  // Typing on the page enables Undo at once (see Linhas_Change), so Ctrl+Z reaches the history.
  undo_->setEnabled(!undo.empty());
  redo_->setEnabled(!redo.empty());
}

// The caption, the project's file name ("untitled" before its first save) and a "*" while changes are not
// saved.
void MainWindow::UpdateTitle() {
  std::string name =
      doc_.ProjectPath.empty() ? "untitled" : QFileInfo(Q(doc_.ProjectPath)).fileName().toStdString();
  setWindowTitle(Q(WindowCaption() + name + (history_->Modified() ? " *" : "")));
  UpdateStatusBar();
}

// Typing marks the title at once without comparing the document at every key.
void MainWindow::ShowUnsaved() {
  undo_->setEnabled(true);
  if (!windowTitle().endsWith(" *")) setWindowTitle(windowTitle() + " *");
  changes_status_->setText("Unsaved changes");
}

void MainWindow::NotAvailable(const QString& what) {
  prompts_.Message((what + " is not available yet.").toStdString());
}

std::string MainWindow::FirmwareToolPath() {
  return ProgramFolder() + "/firmloader";
}

void MainWindow::UpgradeFirmware_Click() {
  const std::string tool = FirmwareToolPath();
  QFileInfo info(Q(tool));
  if (!info.isFile() || !info.isExecutable()) {
    prompts_.Message("The firmware tool cannot be started: " + tool +
                     " is missing. It is installed beside tabulodesk.");
    return;
  }
  // One firmware tool at a time: a second one would fight over the serial port.
  upgrade_firmware_->setEnabled(false);
  // Quoted as a command line, so a folder with blanks in its name stays one word.
  QString quoted = '"' + Q(tool).replace("\"", "\"\"\"") + '"';
  if (!RunShell(quoted.toStdString())) {
    prompts_.Message("The firmware tool could not be started: " + tool);
  }
  upgrade_firmware_->setEnabled(true);
}

std::optional<int> MainWindow::RunShell(const std::string& command) {
  QStringList words = QProcess::splitCommand(Q(command));
  if (words.isEmpty()) return std::nullopt;
  // Not parented and not deleted when the designer quits while it runs: deleting a running QProcess kills
  // it, and a firmware transfer must never be cut off.
  auto* process = new QProcess;
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  QEventLoop loop;
  connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
  connect(process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
  QString program = words.takeFirst();
  process->start(program, words);
  if (!process->waitForStarted()) {
    delete process;
    return std::nullopt;
  }
  // The designer goes on working meanwhile: its windows repaint and the autosave keeps running.
  if (process->state() != QProcess::NotRunning) loop.exec();
  if (process->state() != QProcess::NotRunning) return std::nullopt;  // the designer is quitting
  std::optional<int> code;
  if (process->exitStatus() == QProcess::NormalExit) code = process->exitCode();
  delete process;
  return code;
}

// ---- Page grid ----

void MainWindow::Linhas_Change(int k) {
  if (!grid_.page_updating) {
    history_->Label("Line " + std::to_string(k + 1));
    ShowUnsaved();
  }
  const QString text = page_->Linhas[k]->text();
  auto plu = LiveRename(doc_, grid_, k, text.toStdString());
  if (!plu) return;
  catalogue_->Relabel(*plu, text);
  Frame2->RelabelRecords();
}

void MainWindow::Linhas_LostFocus(int k) {
  LineCommit commit = CommitLine(doc_, grid_, k, page_->Linhas[k]->text().toStdString(),
                                 page_->Price[k]->text().toStdString());
  page_->Linhas[k]->setProperty("Tag", Q(grid_.tags[k]));
  if (commit.price) page_->Price[k]->setText(Q(*commit.price));
  if (commit.outcome == LineCommit::Outcome::kCatalogueFull) prompts_.Message(kCatalogueFullMessage);
  // A dish typed on the page is in the catalogue: the list shows it at once, not at the next refresh.
  if (commit.outcome == LineCommit::Outcome::kCreated) catalogue_->Fill();
}

void MainWindow::Linhas_Click(int k) {
  Frame2->ClearMembers();
  int row = catalogue_->RowWithText(page_->Linhas[k]->text());
  if (row < 0) return;
  catalogue_->SelectRow(row);
  Frame2->SelectFirstLevel();
}

void MainWindow::Linhas_DblClick(int k) {
  if (page_->Linhas[k]->text().trimmed().isEmpty()) return;
  if (grid_.tags[k].empty()) Linhas_LostFocus(k);
  CommitOpenLineEditor();
  HandOverLine(doc_, grid_, k, catalogue_->List().Selected());
  history_->Label("Line editor");
  ShowLineEditor(line_editor_, *this, this);
}

void MainWindow::Price_Change(int k) {
  if (!grid_.page_updating) {
    history_->Label("Price of line " + std::to_string(k + 1));
    ShowUnsaved();
  }
  StorePrice(doc_, grid_, k, page_->Linhas[k]->text().toStdString(), page_->Price[k]->text().toStdString());
}

void MainWindow::Command12_Click(int k) {
  const CatalogueList& list = catalogue_->List();
  if (list.Selected() < 0) return;
  {
    UndoStep step(*history_, "PLU on line " + std::to_string(k + 1));
    AssignLine(doc_, grid_, k, list.Rows()[list.Selected()].plu);
  }
  if (catalogue_->StepSelection() && k + 1 < kLinesPerPage) page_->Command12[k + 1]->setFocus();
  Update_Page();
}

void MainWindow::LinhasVerso_Change(int k) {
  if (!grid_.page_updating) {
    history_->Label("Group title of line " + std::to_string(k + 1));
    ShowUnsaved();
  }
  StoreTitleText(doc_, grid_, k, page_->LinhasVerso[k]->text().toStdString());
}

void MainWindow::LinhasVerso_DblClick(int k) {
  doc_.Hand.CurrentLine = k;
  doc_.Hand.EditTitleText = page_->LinhasVerso[k]->text().toStdString();
  history_->Label("Group title");
  ShowGroupTitle(group_title_, *this, this);
}

void MainWindow::Remove_Click(int k) {
  CommitOpenLineEditor();
  doc_.Hand.CurrentLine = k;
  history_->Label("Line order");
  ShowLineOrderDialog(line_order_, *this, this);
}

void MainWindow::Picture_Click(int side) {
  doc_.Hand.BackgroundSide = side;
  history_->Label("Background");
  ShowBackgroundDialog(background_, *this, this);
}

void MainWindow::Command14_Click() {
  ShowPage(PreviousPage(grid_.page));
}
void MainWindow::Command15_Click() {
  ShowPage(NextPage(grid_.page));
}

void MainWindow::InsertPage_Click() {
  CommitOpenLineEditor();
  {
    UndoStep step(*history_, "Ins page");
    InsertPage(doc_, grid_.page);
  }
  Update_Page();
  ChangeDone();
}

void MainWindow::DeletePage_Click() {
  CommitOpenLineEditor();
  {
    UndoStep step(*history_, "Del page");
    DeletePage(doc_, grid_.page);
  }
  Update_Page();
  ChangeDone();
}

std::string MainWindow::LineText(int line) const {
  return page_->Linhas[line]->text().toStdString();
}

std::string MainWindow::LineTag(int line) const {
  return grid_.tags[line];
}

void MainWindow::SelectListRow(int row) {
  catalogue_->SelectRow(row);
}

void MainWindow::PluRenamed(int32_t plu, const std::string& text) {
  catalogue_->Relabel(plu, Q(text));
  Frame2->RelabelRecords();
}

void MainWindow::Expand_Click() {
  SwitchLayout(layout_);
  Expand->setText(Q(layout_.expand_caption));
  PlaceAt(catalogue_, layout_.frame3);
  Frame2->setVisible(layout_.frame2_visible);
  page_->ApplyLayout(layout_);
}

}  // namespace tabulo
