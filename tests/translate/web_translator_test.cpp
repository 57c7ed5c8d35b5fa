// The translation client against a translation page served on 127.0.0.1.

#include "designer/translate/web_translator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "tests/support/local_http_server.h"

namespace tabulo {
namespace {

std::string ResultPage(const std::string& result) {
  return "<html><div id=result_box dir=ltr><span title=\"original\" onmouseover=\"x\">" + result +
         "</span></div></html>";
}

// A translation page on a port of its own; records the last request and answers with `page`.
class FakeService {
 public:
  ~FakeService() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      hang_ = false;
    }
    released_.notify_all();
  }

  TranslatorOptions Options() const {
    TranslatorOptions options;
    options.base_address = http_.Base() + "/";
    options.http.connect_timeout = std::chrono::milliseconds(2000);
    options.http.total_timeout = std::chrono::milliseconds(hang_ ? 1000 : 5000);
    return options;
  }

  std::string page_ = ResultPage("ok");
  int status_ = 200;
  std::atomic<bool> hang_{false};
  std::string sl_, tl_, text_, target_, agent_;

 private:
  void Answer(const httplib::Request& request, httplib::Response& response) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      sl_ = request.get_param_value("sl");
      tl_ = request.get_param_value("tl");
      text_ = request.get_param_value("text");
      target_ = request.target;
      agent_ = request.get_header_value("User-Agent");
    }
    if (hang_) {
      std::unique_lock<std::mutex> lock(mutex_);
      released_.wait_for(lock, std::chrono::seconds(10), [this] { return !hang_; });
    }
    response.status = status_;
    response.set_content(page_, "text/html; charset=utf-8");
  }

  std::mutex mutex_;
  std::condition_variable released_;
  test::LocalHttpServer http_{[this](httplib::Server& server) {
    server.Get("/translate_t", [this](const httplib::Request& request, httplib::Response& response) {
      Answer(request, response);
    });
  }};
};

Translation Translate(FakeService& service, const std::string& text, std::string source,
                      const std::string& target) {
  return TranslateUnicode(text, source, target, service.Options());
}

TEST(LanguageCodes, NamesCodesAndTheForcedSource) {
  EXPECT_EQ(LanguageCode("Deutsch"), "de");
  EXPECT_EQ(LanguageCode("kinisisk"), "zh-CN");
  EXPECT_EQ(LanguageCode("Portugues"), "pt");
  EXPECT_EQ(LanguageCode("english"), "auto") << "names compare exactly";
  EXPECT_EQ(LanguageCode("pt"), "pt");
  EXPECT_EQ(LanguageCode("x"), "x");
  EXPECT_EQ(LanguageCode("Note"), "auto");
  EXPECT_TRUE(ForcesDutchSource("russian"));
  EXPECT_TRUE(ForcesDutchSource("Persian"));
  EXPECT_FALSE(ForcesDutchSource("English"));
}

TEST(WebTranslator, SendsTheCodesAndTheWholeText) {
  FakeService service;
  service.page_ = ResultPage("Suppe");
  Translation result = Translate(service, "Sopa & pao #1 + 50% \xc3\xa9\r\n", "Portugues", "Deutsch");
  ASSERT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(result.text, "Suppe");
  EXPECT_EQ(service.sl_, "pt");
  EXPECT_EQ(service.tl_, "de");
  EXPECT_EQ(service.text_, "Sopa & pao #1 + 50% \xc3\xa9\r\n") << "special characters arrive as text";
  EXPECT_NE(service.target_.find("text=Sopa%20%26%20pao%20%231%20%2B%2050%25%20%C3%A9%0D%0A"),
            std::string::npos)
      << service.target_;
  EXPECT_EQ(service.agent_, "DIDidOzer");
}

TEST(WebTranslator, SomeTargetsTranslateFromDutch) {
  FakeService service;
  std::string source = "Portugues";
  Translation result = TranslateUnicode("sopa", source, "russian", service.Options());
  EXPECT_TRUE(result.ok());
  EXPECT_EQ(source, "dutch") << "the caller sees the source it was given";
  EXPECT_EQ(service.sl_, "nl");
  EXPECT_EQ(service.tl_, "ru");
}

TEST(WebTranslator, AnUnknownTargetIsRefusedBeforeSending) {
  FakeService service;
  Translation result = Translate(service, "sopa", "Portugues", "Klingon");
  EXPECT_EQ(result.status, Translation::Status::kAutoTarget);
  EXPECT_EQ(result.message, "Cant use autoDetect to the language you want to translate.");
  EXPECT_EQ(service.tl_, "") << "nothing was sent";
}

TEST(WebTranslator, DecodesThePageEscapes) {
  struct Case {
    const char* page_text;
    const char* expected;
  } cases[] = {
      {"caf&#233;", "caf\xc3\xa9"},
      {"fish &amp;amp; chips", "fish & chips"},
      {"a &lt;br&gt;b", "a\r\nb"},
      {"line<br>next", "line\r\nnext"},
      {"&lt;b/&gt; &gt;", "<b> >"},
      {"one\ntwo", "one\r\ntwo"},
      {"a#8212;b", "a-b"},
      {"say \"\"hi\"\"", "say \"hi\""},
      {"\xc3\x83\xc2\xa6"
       "bler",
       "\xc3\xa6"
       "bler"},
      {"%C3%A6", "\xc3\xa6"},
      {"&#55357;&#56832;", "\xf0\x9f\x98\x80"},
      {"&#0; &#x41; &#;", "&#0; &#x41; &#;"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeTranslation(c.page_text), c.expected) << c.page_text;

  FakeService service;
  service.page_ = ResultPage("caf&#233; &amp;amp; bar");
  EXPECT_EQ(Translate(service, "x", "English", "Frances").text, "caf\xc3\xa9 & bar");
}

TEST(WebTranslator, APageWithoutTheMarkersIsAFailure) {
  FakeService service;
  for (const std::string& page :
       {std::string("<html>nothing</html>"), std::string("result_box <span>x</span>"),
        std::string("result_box span title=\"x\" no close"),
        std::string("result_box span title=\"x\">open")}) {
    service.page_ = page;
    Translation result = Translate(service, "sopa", "Portugues", "English");
    EXPECT_EQ(result.status, Translation::Status::kFailed) << page;
    EXPECT_EQ(result.text, "");
  }
  service.page_ = ResultPage("Soup");
  service.status_ = 500;
  EXPECT_EQ(Translate(service, "sopa", "Portugues", "English").status, Translation::Status::kFailed);
}

// A server that never answers is not the user's internet connection, and a page without end is not read
// to its end.
TEST(WebTranslator, SilenceNoConnectionAndEndlessPagesAreToldApart) {
  FakeService hanging;
  hanging.hang_ = true;
  Translation result = Translate(hanging, "sopa", "Portugues", "English");
  EXPECT_EQ(result.status, Translation::Status::kTimeout);
  EXPECT_EQ(result.message,
            "the translation service at " + hanging.Options().base_address + " did not answer in 1 s");

  TranslatorOptions closed;
  closed.base_address = "http://127.0.0.1:1";
  std::string source = "Portugues";
  result = TranslateUnicode("sopa", source, "English", closed);
  EXPECT_EQ(result.status, Translation::Status::kNoConnection);
  EXPECT_EQ(result.message, "You need a internet Connection to be translate your text.");

  FakeService endless;
  endless.page_ = ResultPage(std::string(3 << 20, 'x'));
  result = Translate(endless, "sopa", "Portugues", "English");
  EXPECT_EQ(result.status, Translation::Status::kFailed);
  EXPECT_NE(result.message.find("larger than 1024 KB"), std::string::npos) << result.message;
  EXPECT_EQ(result.text, "");
}

}  // namespace
}  // namespace tabulo
