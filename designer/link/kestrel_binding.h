#pragma once
// The Kestrel library loaded by name at the first call: $KESTREL_LIBRARY when set, else libkestrel.so
// beside the running program (installed or in the build tree, the programs and the library sit together),
// else the program's run path and the system's library path. When it cannot be loaded every call gives its
// failure result and LastError() says what was tried.

#include <memory>
#include <string>

#include "designer/link/kestrel_api.h"
#include "platform/user_prompts.h"

namespace tabulo {

class KestrelBinding : public KestrelApi {
 public:
  KestrelBinding();
  ~KestrelBinding() override;
  KestrelBinding(const KestrelBinding&) = delete;
  KestrelBinding& operator=(const KestrelBinding&) = delete;

  // Loads the library now (it is otherwise loaded by the first call); false with LastError() when it
  // cannot be.
  bool Load();

  int menu_init(int port, int mode, int network) override;
  void radio_make_tree_mkdir(const std::string& name) override;
  void radio_make_tree_cd(const std::string& name) override;
  void radio_make_tree_cd_back() override;
  void menu_modifier(int plu, const std::string& block, int button) override;
  void menu_item(int plu, const std::string& block, const std::string& price, int button) override;
  void menu_item_modifier_group(const std::string& name, int minimum, int maximum, int defaults) override;
  void radio_make_tree_modifier_min_max(const std::string& name, int mandatory, int minimum,
                                        int maximum) override;
  void radio_set_entry(int entry, const std::string& text) override;
  int menu_upload() override;
  void menu_close() override;
  int radio_init(int port, int mode, int network, int flags) override;
  int menu_receive(int& reserved1, int& terminal, int& reserved2, int& count, int& table,
                   std::string& plu_buffer, std::string& quantity_buffer) override;
  void radio_close() override;
  int IO_Open(int port, int baud) override;
  void IO_Close(int port) override;
  int IO_Write(int port, const std::string& bytes) override;
  int IO_Read(int port, int length, std::string& buffer, int timeout_ms) override;
  int B_BaseGetStatus(int port, int& baud, std::string& text) override;
  int B_SetBaseName(int port, int baud, const std::string& name, int reserved1, int reserved2) override;
  int B_SetBaseRadio(int port, int baud, int reserved1, int khz, int reserved2) override;
  int B_PutBaseUpload(int port, int baud) override;
  int B_ClearBaseProgram(int port, int baud) override;
  int B_Rs232UploadProgram(const std::string& path, int port) override;
  int ChangeBaseNameAntenaFast(int port, const std::string& command) override;
  int Send_Message_Without_Confirmation_devkit(int port, const std::string& name, const std::string& data,
                                               int mode, int wait) override;
  std::string LastError() override;
  void SetTransferProgress(TransferProgress* progress) override;
  bool SetPortAddress(int port, const std::string& address) override;

 private:
  struct Functions;
  std::unique_ptr<Functions> fn_;
  void* handle_ = nullptr;
  bool tried_ = false;
  std::string load_error_;
};

// True when the radio library is at hand; otherwise the user is told why it cannot be loaded. A library
// that is not our binding (a test's) is always at hand.
bool RadioLibraryLoaded(KestrelApi& api, UserPrompts& prompts);

}  // namespace tabulo
