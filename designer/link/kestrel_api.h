#pragma once
// The radio library as both programs call it: every function of the Kestrel library, with its arguments
// and the results relied on. Texts are single-byte (Windows-1252) strings. The real binding loads the
// library (kestrel_binding.h); tests put a fake in its place.

#include <string>

namespace tabulo {

// Told how far a transfer (a menu upload, a firmware image) has come, in bytes of the whole that have left
// the line, a few times a second from the thread that runs it; false stops it before its end is sent, so
// that the base keeps what it had.
class TransferProgress {
 public:
  virtual ~TransferProgress() = default;
  virtual bool Transferred(long long done, long long total) = 0;
};

class KestrelApi {
 public:
  virtual ~KestrelApi() = default;

  // Menu upload, in this order: menu_init, tree calls, radio_set_entry, menu_upload, menu_close.
  virtual int menu_init(int port, int mode, int network) = 0;  // below 0: link not opened
  virtual void radio_make_tree_mkdir(const std::string& name) = 0;
  virtual void radio_make_tree_cd(const std::string& name) = 0;
  virtual void radio_make_tree_cd_back() = 0;
  virtual void menu_modifier(int plu, const std::string& block, int button) = 0;
  virtual void menu_item(int plu, const std::string& block, const std::string& price, int button) = 0;
  virtual void menu_item_modifier_group(const std::string& name, int minimum, int maximum, int defaults) = 0;
  virtual void radio_make_tree_modifier_min_max(const std::string& name, int mandatory, int minimum,
                                                int maximum) = 0;
  virtual void radio_set_entry(int entry, const std::string& text) = 0;
  // 0: the base stored the whole menu; -2 not stored, -3 not known (the base stopped answering once the
  // whole was sent), -4 stopped by the transfer progress (not stored).
  virtual int menu_upload() = 0;
  virtual void menu_close() = 0;

  // Order reception.
  virtual int radio_init(int port, int mode, int network, int flags) = 0;  // below 0: not opened
  // 0 when an order was received. The buffers are 512 characters each (64 fields of 8), as given.
  virtual int menu_receive(int& reserved1, int& terminal, int& reserved2, int& count, int& table,
                           std::string& plu_buffer, std::string& quantity_buffer) = 0;
  virtual void radio_close() = 0;

  // Firmware tool, serial level.
  virtual int IO_Open(int port, int baud) = 0;  // 0: failure
  virtual void IO_Close(int port) = 0;
  virtual int IO_Write(int port, const std::string& bytes) = 0;
  // Reads up to `length` bytes into `buffer` (resized to what arrived); the count read.
  virtual int IO_Read(int port, int length, std::string& buffer, int timeout_ms) = 0;

  // Firmware tool, base station.
  virtual int B_BaseGetStatus(int port, int& baud, std::string& text) = 0;  // 0: failure
  virtual int B_SetBaseName(int port, int baud, const std::string& name, int reserved1, int reserved2) = 0;
  virtual int B_SetBaseRadio(int port, int baud, int reserved1, int khz, int reserved2) = 0;
  virtual int B_PutBaseUpload(int port, int baud) = 0;
  virtual int B_ClearBaseProgram(int port, int baud) = 0;
  virtual int B_Rs232UploadProgram(const std::string& path, int port) = 0;
  virtual int ChangeBaseNameAntenaFast(int port, const std::string& command) = 0;  // non-zero: done
  virtual int Send_Message_Without_Confirmation_devkit(int port, const std::string& name,
                                                       const std::string& data, int mode, int wait) = 0;

  // Why the last call of the calling thread failed, in words for the user; "" when nothing is known.
  virtual std::string LastError() = 0;
  // The transfers the calling thread starts from now on tell `progress` (nullptr: nobody). A library that
  // cannot tell ignores it.
  virtual void SetTransferProgress(TransferProgress* progress) { (void)progress; }
  // Port `port` means `address` (a device, tcp://HOST:PORT or rfc2217://HOST:PORT) from now on in this
  // process; false when the library cannot map ports.
  virtual bool SetPortAddress(int port, const std::string& address) {
    (void)port;
    (void)address;
    return false;
  }
};

}  // namespace tabulo
