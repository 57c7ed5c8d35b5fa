#include "designer/link/kestrel_binding.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "base/environment.h"
#include "platform/folders.h"

namespace tabulo {

constexpr const char* kLibraryName = "libkestrel.so";
constexpr size_t kOrderBufferSize = 512;
constexpr size_t kStatusBufferSize = 200;

struct KestrelBinding::Functions {
  int (*menu_init)(int, int, int);
  int (*radio_make_tree_mkdir)(const char*);
  int (*radio_make_tree_cd)(const char*);
  int (*radio_make_tree_cd_back)();
  int (*menu_modifier)(int, const char*, int);
  int (*menu_item)(int, const char*, const char*, int);
  int (*menu_item_modifier_group)(const char*, int, int, int);
  int (*radio_make_tree_modifier_min_max)(const char*, int, int, int);
  int (*radio_set_entry)(int, const char*);
  int (*menu_upload)();
  int (*menu_close)();
  int (*radio_init)(int, int, int, int);
  int (*menu_receive)(int*, int*, int*, int*, int*, char*, char*);
  int (*radio_close)();
  int (*IO_Open)(int, int);
  int (*IO_Close)(int);
  int (*IO_Write)(int, int, const char*);
  int (*IO_Read)(int, int, char*, int);
  int (*B_BaseGetStatus)(int, int*, char*);
  int (*B_SetBaseName)(int, int, const char*, int, int);
  int (*B_SetBaseRadio)(int, int, int, int, int);
  int (*B_PutBaseUpload)(int, int);
  int (*B_ClearBaseProgram)(int, int);
  int (*B_Rs232UploadProgram)(const char*, int);
  int (*ChangeBaseNameAntenaFast)(int, const char*);
  int (*Send_Message_Without_Confirmation_devkit)(int, const char*, const char*, int, int, int);
  // Ours; optional, so another build of the library still loads.
  const char* (*kestrel_last_error)();
  void (*kestrel_set_progress)(int (*)(void*, long long, long long), void*);
  void (*kestrel_set_port_address)(int, const char*);
};

namespace {

template <class F>
bool Resolve(void* handle, const char* name, F& target, std::string& missing) {
  target = reinterpret_cast<F>(::dlsym(handle, name));
  if (!target && missing.empty()) missing = name;
  return target != nullptr;
}

}  // namespace

KestrelBinding::KestrelBinding() = default;

KestrelBinding::~KestrelBinding() {
  // The library stays loaded: it may hold open links that its own exit code closes.
}

bool KestrelBinding::Load() {
  if (tried_) return fn_ != nullptr;
  tried_ = true;
  std::vector<std::string> candidates;
  const std::optional<std::string> chosen = EnvironmentValue("KESTREL_LIBRARY");
  if (chosen) {
    candidates.push_back(*chosen);
  } else {
    std::string beside = ProgramFolder() + "/" + kLibraryName;
    std::error_code error;
    if (std::filesystem::exists(beside, error)) candidates.push_back(beside);
    candidates.push_back(kLibraryName);
  }
  std::string reasons;
  for (const std::string& candidate : candidates) {
    handle_ = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_) break;
    const char* why = ::dlerror();
    reasons += (reasons.empty() ? "" : "; ") + std::string(why ? why : candidate);
  }
  if (!handle_) {
    load_error_ = std::string("cannot load the radio library ") +
                  (chosen ? "$KESTREL_LIBRARY=" + *chosen
                          : std::string(kLibraryName) + " (beside the program or on the library path)") +
                  ": " + reasons;
    return false;
  }
  auto fn = std::make_unique<Functions>();
  std::string missing;
  Resolve(handle_, "menu_init", fn->menu_init, missing);
  Resolve(handle_, "radio_make_tree_mkdir", fn->radio_make_tree_mkdir, missing);
  Resolve(handle_, "radio_make_tree_cd", fn->radio_make_tree_cd, missing);
  Resolve(handle_, "radio_make_tree_cd_back", fn->radio_make_tree_cd_back, missing);
  Resolve(handle_, "menu_modifier", fn->menu_modifier, missing);
  Resolve(handle_, "menu_item", fn->menu_item, missing);
  Resolve(handle_, "menu_item_modifier_group", fn->menu_item_modifier_group, missing);
  Resolve(handle_, "radio_make_tree_modifier_min_max", fn->radio_make_tree_modifier_min_max, missing);
  Resolve(handle_, "radio_set_entry", fn->radio_set_entry, missing);
  Resolve(handle_, "menu_upload", fn->menu_upload, missing);
  Resolve(handle_, "menu_close", fn->menu_close, missing);
  Resolve(handle_, "radio_init", fn->radio_init, missing);
  Resolve(handle_, "menu_receive", fn->menu_receive, missing);
  Resolve(handle_, "radio_close", fn->radio_close, missing);
  Resolve(handle_, "IO_Open", fn->IO_Open, missing);
  Resolve(handle_, "IO_Close", fn->IO_Close, missing);
  Resolve(handle_, "IO_Write", fn->IO_Write, missing);
  Resolve(handle_, "IO_Read", fn->IO_Read, missing);
  Resolve(handle_, "B_BaseGetStatus", fn->B_BaseGetStatus, missing);
  Resolve(handle_, "B_SetBaseName", fn->B_SetBaseName, missing);
  Resolve(handle_, "B_SetBaseRadio", fn->B_SetBaseRadio, missing);
  Resolve(handle_, "B_PutBaseUpload", fn->B_PutBaseUpload, missing);
  Resolve(handle_, "B_ClearBaseProgram", fn->B_ClearBaseProgram, missing);
  Resolve(handle_, "B_Rs232UploadProgram", fn->B_Rs232UploadProgram, missing);
  Resolve(handle_, "ChangeBaseNameAntenaFast", fn->ChangeBaseNameAntenaFast, missing);
  Resolve(handle_, "Send_Message_Without_Confirmation_devkit", fn->Send_Message_Without_Confirmation_devkit,
          missing);
  if (!missing.empty()) {
    load_error_ = "the radio library has no function " + missing;
    return false;
  }
  std::string optional;
  Resolve(handle_, "kestrel_last_error", fn->kestrel_last_error, optional);
  Resolve(handle_, "kestrel_set_progress", fn->kestrel_set_progress, optional);
  Resolve(handle_, "kestrel_set_port_address", fn->kestrel_set_port_address, optional);
  fn_ = std::move(fn);
  return true;
}

std::string KestrelBinding::LastError() {
  if (!fn_) return load_error_;
  return fn_->kestrel_last_error ? std::string(fn_->kestrel_last_error()) : std::string();
}

void KestrelBinding::SetTransferProgress(TransferProgress* progress) {
  if (!Load() || !fn_->kestrel_set_progress) return;
  auto tell = [](void* context, long long done, long long total) {
    return static_cast<TransferProgress*>(context)->Transferred(done, total) ? 0 : 1;
  };
  fn_->kestrel_set_progress(progress ? +tell : nullptr, progress);
}

bool KestrelBinding::SetPortAddress(int port, const std::string& address) {
  if (!Load() || !fn_->kestrel_set_port_address) return false;
  fn_->kestrel_set_port_address(port, address.c_str());
  return true;
}

int KestrelBinding::menu_init(int port, int mode, int network) {
  return Load() ? fn_->menu_init(port, mode, network) : -1;
}
void KestrelBinding::radio_make_tree_mkdir(const std::string& name) {
  if (Load()) fn_->radio_make_tree_mkdir(name.c_str());
}
void KestrelBinding::radio_make_tree_cd(const std::string& name) {
  if (Load()) fn_->radio_make_tree_cd(name.c_str());
}
void KestrelBinding::radio_make_tree_cd_back() {
  if (Load()) fn_->radio_make_tree_cd_back();
}
void KestrelBinding::menu_modifier(int plu, const std::string& block, int button) {
  if (Load()) fn_->menu_modifier(plu, block.c_str(), button);
}
void KestrelBinding::menu_item(int plu, const std::string& block, const std::string& price, int button) {
  if (Load()) fn_->menu_item(plu, block.c_str(), price.c_str(), button);
}
void KestrelBinding::menu_item_modifier_group(const std::string& name, int minimum, int maximum,
                                              int defaults) {
  if (Load()) fn_->menu_item_modifier_group(name.c_str(), minimum, maximum, defaults);
}
void KestrelBinding::radio_make_tree_modifier_min_max(const std::string& name, int mandatory, int minimum,
                                                      int maximum) {
  if (Load()) fn_->radio_make_tree_modifier_min_max(name.c_str(), mandatory, minimum, maximum);
}
void KestrelBinding::radio_set_entry(int entry, const std::string& text) {
  if (Load()) fn_->radio_set_entry(entry, text.c_str());
}
int KestrelBinding::menu_upload() {
  return Load() ? fn_->menu_upload() : -1;
}
void KestrelBinding::menu_close() {
  if (Load()) fn_->menu_close();
}
int KestrelBinding::radio_init(int port, int mode, int network, int flags) {
  return Load() ? fn_->radio_init(port, mode, network, flags) : -1;
}
int KestrelBinding::menu_receive(int& reserved1, int& terminal, int& reserved2, int& count, int& table,
                                 std::string& plu_buffer, std::string& quantity_buffer) {
  if (!Load()) return -1;
  // The library writes up to 512 characters into each buffer, whatever the caller made them.
  plu_buffer.resize(kOrderBufferSize, ' ');
  quantity_buffer.resize(kOrderBufferSize, ' ');
  return fn_->menu_receive(&reserved1, &terminal, &reserved2, &count, &table, plu_buffer.data(),
                           quantity_buffer.data());
}
void KestrelBinding::radio_close() {
  if (Load()) fn_->radio_close();
}
int KestrelBinding::IO_Open(int port, int baud) {
  return Load() ? fn_->IO_Open(port, baud) : 0;
}
void KestrelBinding::IO_Close(int port) {
  if (Load()) fn_->IO_Close(port);
}
int KestrelBinding::IO_Write(int port, const std::string& bytes) {
  return Load() ? fn_->IO_Write(port, static_cast<int>(bytes.size()), bytes.data()) : 0;
}
int KestrelBinding::IO_Read(int port, int length, std::string& buffer, int timeout_ms) {
  if (!Load() || length <= 0) return 0;
  buffer.assign(static_cast<size_t>(length), '\0');
  int got = fn_->IO_Read(port, length, buffer.data(), timeout_ms);
  buffer.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return got;
}
int KestrelBinding::B_BaseGetStatus(int port, int& baud, std::string& text) {
  if (!Load()) return 0;
  std::string buffer(kStatusBufferSize + 1, '\0');
  buffer.replace(0, text.size() < kStatusBufferSize ? text.size() : kStatusBufferSize, text);
  int result = fn_->B_BaseGetStatus(port, &baud, buffer.data());
  text = buffer.c_str();
  return result;
}
int KestrelBinding::B_SetBaseName(int port, int baud, const std::string& name, int reserved1, int reserved2) {
  return Load() ? fn_->B_SetBaseName(port, baud, name.c_str(), reserved1, reserved2) : 0;
}
int KestrelBinding::B_SetBaseRadio(int port, int baud, int reserved1, int khz, int reserved2) {
  return Load() ? fn_->B_SetBaseRadio(port, baud, reserved1, khz, reserved2) : 0;
}
int KestrelBinding::B_PutBaseUpload(int port, int baud) {
  return Load() ? fn_->B_PutBaseUpload(port, baud) : 0;
}
int KestrelBinding::B_ClearBaseProgram(int port, int baud) {
  return Load() ? fn_->B_ClearBaseProgram(port, baud) : 0;
}
int KestrelBinding::B_Rs232UploadProgram(const std::string& path, int port) {
  return Load() ? fn_->B_Rs232UploadProgram(path.c_str(), port) : 0;
}
int KestrelBinding::ChangeBaseNameAntenaFast(int port, const std::string& command) {
  return Load() ? fn_->ChangeBaseNameAntenaFast(port, command.c_str()) : 0;
}
int KestrelBinding::Send_Message_Without_Confirmation_devkit(int port, const std::string& name,
                                                             const std::string& data, int mode, int wait) {
  return Load() ? fn_->Send_Message_Without_Confirmation_devkit(port, name.c_str(), data.data(),
                                                                static_cast<int>(data.size()), mode, wait)
                : 0;
}

bool RadioLibraryLoaded(KestrelApi& api, UserPrompts& prompts) {
  auto* binding = dynamic_cast<KestrelBinding*>(&api);
  if (!binding || binding->Load()) return true;
  std::string reason = binding->LastError();
  if (!reason.empty()) reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
  prompts.Message(reason + ".");
  return false;
}

}  // namespace tabulo
