#pragma once
// The send procedure: the whole menu of a document described to the radio library as a tree and
// transferred to the terminals. Modifier choice groups first (phase A, read from the definitions file just
// written beside ProjectBase), then the family groups of imported catalogues (phase B), then every PLU that
// has a button (phase C), entry 1530 with the language names, and the upload.
//
// The window around it stops the autosave, stores the port setting and shows the hourglass and captions;
// this is the part that needs no window.

#include <string>

#include "designer/document/menu_document.h"
#include "designer/link/kestrel_api.h"

namespace tabulo {

inline constexpr const char* kSendingCaption = "Sending";
inline constexpr const char* kSentCaption = "Sent";
// A transfer that the base did not confirm is never shown as sent.
inline constexpr const char* kSendFailedCaption = "Send failed";
inline constexpr const char* kSendCancelledCaption = "Send cancelled";
// The base stopped answering once the whole menu was sent: neither outcome may be claimed.
inline constexpr const char* kSendUnconfirmedCaption = "Send not confirmed";

inline constexpr int kLanguageNamesEntry = 1530;

struct SendSettings {
  SendSettings(int port_number = 1, bool plain = false) : port(port_number), plain_pages(plain) {}
  int port = 1;
  bool plain_pages = false;   // "13 Pages from 1 - 13": button numbers are the plain slot numbers
  std::string port_address;   // when the port setting is an address: what `port` (then 0) means
  bool old_firmware = false;  // terminals without the language option: each text is the description alone
};

enum class SendOutcome {
  kNotOpened,  // menu_init failed: nothing else was called
  kSent,       // the base confirmed the whole menu
  kFailed,     // the link opened but the base did not confirm the menu
  kCancelled,  // stopped by the user before the transfer's end: the terminals keep their menu
  kUnknown,    // the base stopped answering once the whole was sent and could not say what it holds
};

struct SendResult {
  SendOutcome outcome = SendOutcome::kNotOpened;
  std::string error;  // the library's reason when not sent
  int choices = 0;    // menu_modifier calls
  int items = 0;      // menu_item calls
};

// Told around the blocking transfer, so that a window can show the hourglass, its captions and how far the
// transfer has come; Transferred (from the thread that sends) answers false to cancel it.
class SendProgress : public TransferProgress {
 public:
  virtual void UploadStarting() {}
  virtual void UploadFinished(bool /*stored*/) {}
  bool Transferred(long long /*done*/, long long /*total*/) override { return true; }
};

// The port of a port text: its leading number rounded to a whole number, 0 when there is none.
int PortNumberOfText(const std::string& text);
// The address a port text is, when it is one rather than a number: tcp://HOST:PORT, rfc2217://HOST:PORT or
// a device path; "" otherwise. Such a text has no leading number, so it is port 0.
std::string PortAddressOfText(const std::string& text);

// Runs the whole send on `api`.
SendResult SendMenu(const MenuDocument& doc, KestrelApi& api, const SendSettings& settings,
                    SendProgress* progress = nullptr);

// The caption the send dialog shows after a send; "" when the caption stays as it was (link not opened).
const char* CaptionAfterSend(SendOutcome outcome);

}  // namespace tabulo
