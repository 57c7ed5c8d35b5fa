#pragma once
// The group title window (`Form6`, "Group Title"): creates or removes the group title of a line, sets its
// colours and picture and edits its texts per language. One instance per main window, shown modeless; the
// rules are group_title.h's.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "designer/document/menu_document.h"
#include "designer/pages/designer_host.h"
#include "designer/pages/group_title.h"
#include "designer/pages/key_preview_window.h"
#include "designer/pages/line_editor_dialog.h"
#include "platform/user_prompts.h"

namespace tabulo {

class GroupTitleDialog : public KeyPreviewWindow {
  Q_OBJECT

 public:
  GroupTitleDialog(DesignerHost& host, QWidget* owner);
  ~GroupTitleDialog() override;

  // Reads the hand-over variables into the controls (and gives a line without title colours the defaults).
  void Form_Load();
  bool Loaded() const { return loaded_; }

  QLabel* Label1 = nullptr;         // preview of the title
  QPushButton* Command1 = nullptr;  // back colour
  QPushButton* Command2 = nullptr;  // text colour
  QCheckBox* VisibleOnLeft = nullptr;
  QLineEdit* Text1 = nullptr;       // picture file
  QPushButton* Command5 = nullptr;  // "Browse"
  QPushButton* Command3 = nullptr;  // "Create group title"
  QPushButton* Command7 = nullptr;  // "Remove group title"
  QPushButton* Command6 = nullptr;  // "Close Window"
  LanguageFrame Languages;          // with `Command8` "Translate All"

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Text1_Change();
  void Text3_Change(int i);
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();
  void ShowColours();
  int Page() const;
  GroupTitleFields Fields() const;

  MenuDocument& doc_;
  UserPrompts& prompts_;
  DesignerHost& host_;
  int32_t back_color_ = 0;
  int32_t fore_color_ = 0;
  bool loaded_ = false;
};

// Shows the group title window held in `dialog`, creating it on first use as a tool window of `owner`. A
// window that is open already is only brought to the front.
GroupTitleDialog* ShowGroupTitle(QPointer<GroupTitleDialog>& dialog, DesignerHost& host, QWidget* owner);

}  // namespace tabulo
