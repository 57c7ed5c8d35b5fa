#pragma once
// A radio library that records every call as the trace would show it (texts still Windows-1252 bytes),
// answers with the results set on it, and counts the payload a call hands over.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/text_codec.h"
#include "designer/link/kestrel_api.h"

namespace tabulo::test {

class FakeKestrel : public KestrelApi {
 public:
  int init_result = 0;
  int upload_result = 0;
  int radio_result = 0;
  // Orders menu_receive hands out, one per call: terminal, table, count, PLU fields, quantity fields.
  struct Delivery {
    int terminal, table, count;
    std::string plu, quantity;
  };
  std::vector<Delivery> deliveries;

  std::vector<nlohmann::json> calls;
  long long payload_bytes = 0;  // texts as bytes, numbers as 4 bytes each

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& call : calls) names.push_back(call[0]);
    return names;
  }

  int menu_init(int port, int mode, int network) override {
    return Record(init_result, "menu_init", port, mode, network);
  }
  void radio_make_tree_mkdir(const std::string& name) override {
    Record(0, "radio_make_tree_mkdir", Text(name));
  }
  void radio_make_tree_cd(const std::string& name) override { Record(0, "radio_make_tree_cd", Text(name)); }
  void radio_make_tree_cd_back() override { Record(0, "radio_make_tree_cd_back"); }
  void menu_modifier(int plu, const std::string& block, int button) override {
    Record(0, "menu_modifier", plu, Text(block), button);
  }
  void menu_item(int plu, const std::string& block, const std::string& price, int button) override {
    Record(0, "menu_item", plu, Text(block), Text(price), button);
  }
  void menu_item_modifier_group(const std::string& name, int minimum, int maximum, int defaults) override {
    Record(0, "menu_item_modifier_group", Text(name), minimum, maximum, defaults);
  }
  void radio_make_tree_modifier_min_max(const std::string& name, int mandatory, int minimum,
                                        int maximum) override {
    Record(0, "radio_make_tree_modifier_min_max", Text(name), mandatory, minimum, maximum);
  }
  void radio_set_entry(int entry, const std::string& text) override {
    Record(0, "radio_set_entry", entry, Text(text));
  }
  int menu_upload() override { return Record(upload_result, "menu_upload"); }
  void menu_close() override { Record(0, "menu_close"); }
  int radio_init(int port, int mode, int network, int flags) override {
    return Record(radio_result, "radio_init", port, mode, network, flags);
  }
  int menu_receive(int&, int& terminal, int&, int& count, int& table, std::string& plu_buffer,
                   std::string& quantity_buffer) override {
    Record(0, "menu_receive");
    if (deliveries.empty()) return 1;
    Delivery d = deliveries.front();
    deliveries.erase(deliveries.begin());
    terminal = d.terminal;
    table = d.table;
    count = d.count;
    plu_buffer.replace(0, d.plu.size(), d.plu);
    quantity_buffer.replace(0, d.quantity.size(), d.quantity);
    return 0;
  }
  void radio_close() override { Record(0, "radio_close"); }
  int IO_Open(int, int) override { return 0; }
  void IO_Close(int) override {}
  int IO_Write(int, const std::string&) override { return 0; }
  int IO_Read(int, int, std::string&, int) override { return 0; }
  int B_BaseGetStatus(int, int&, std::string&) override { return 0; }
  int B_SetBaseName(int, int, const std::string&, int, int) override { return 0; }
  int B_SetBaseRadio(int, int, int, int, int) override { return 0; }
  int B_PutBaseUpload(int, int) override { return 0; }
  int B_ClearBaseProgram(int, int) override { return 0; }
  int B_Rs232UploadProgram(const std::string&, int) override { return 0; }
  int ChangeBaseNameAntenaFast(int, const std::string&) override { return 0; }
  int Send_Message_Without_Confirmation_devkit(int, const std::string&, const std::string&, int,
                                               int) override {
    return 0;
  }
  std::string LastError() override { return "fake failure"; }

 private:
  struct Text {
    explicit Text(const std::string& b) : bytes(b) {}
    std::string bytes;
  };
  void Add(nlohmann::json& call, int value) {
    call.push_back(value);
    payload_bytes += 4;
  }
  void Add(nlohmann::json& call, const Text& text) {
    call.push_back(DecodeWindows1252(text.bytes));
    payload_bytes += static_cast<long long>(text.bytes.size());
  }
  template <class... Args>
  int Record(int result, const char* name, const Args&... args) {
    nlohmann::json call = nlohmann::json::array({name});
    (Add(call, args), ...);
    calls.push_back(std::move(call));
    return result;
  }
};

}  // namespace tabulo::test
