#include "platform/web/web_page.h"

#include <emscripten/em_js.h>
#include <emscripten/html5.h>

#include <string>

#include "platform/services/message_lines.h"

namespace {

EM_JS(void, GivePageItsTexts,
      (const char* title, const char* file, const char* exit, const char* help, const char* about,
       const char* aboutCaption, const char* notice),
      {
          KorvanePage.setTexts({
              title : UTF8ToString(title),
              file : UTF8ToString(file),
              exit : UTF8ToString(exit),
              help : UTF8ToString(help),
              about : UTF8ToString(about),
              aboutCaption : UTF8ToString(aboutCaption),
              notice : UTF8ToString(notice),
          });
          KorvanePage.showIcon(FS.readFile("/korvane.ico"));
      });

EM_JS(void, GivePageTouchKey, (const char* code), { KorvanePage.addTouchKey(UTF8ToString(code)); });

EM_JS(void, ShowPageDialog, (const char* caption, const char* text, const char* lines),
      { KorvanePage.showMessage(UTF8ToString(caption), UTF8ToString(text), UTF8ToString(lines)); });

EM_JS(void, OpenAboutDialog, (), { KorvanePage.openAbout(); });
EM_JS(void, ShowEndedLine, (), { KorvanePage.showEnded(); });
EM_JS(void, SetPageState, (const char* state), { korvane.state = UTF8ToString(state); });
EM_JS(int, DocumentHasFocus, (), { return document.hasFocus() ? 1 : 0; });
EM_JS(void, CountFrame, (), { korvane.frames++; });
EM_JS(void, CountTimerTick, (), { korvane.ticks++; });

// What Windows shows as the caption of a message box given none.
constexpr const char* kDefaultCaption = "エラー";

} // namespace

void SetUpPage(const PageTexts& texts, std::span<const char* const> touchKeyCodes) {
    GivePageItsTexts(texts.title, texts.fileMenu, texts.exitItem, texts.helpMenu, texts.aboutItem,
                     texts.aboutCaption, texts.noticeLine);
    for (const char* code : touchKeyCodes) {
        GivePageTouchKey(code);
    }
}

void ShowPageMessage(const char* utf8Text, const char* utf8Caption) {
    const char* text = utf8Text != nullptr ? utf8Text : "";
    // The console gets the lines whole, to copy a path from; the dialog wraps
    // them so that it fits the game's width.
    const std::string lines = WrapMessageLines(text, kMessageBoxColumns);
    ShowPageDialog(utf8Caption != nullptr ? utf8Caption : kDefaultCaption, text, lines.c_str());
}

void OpenPageAboutBox() {
    OpenAboutDialog();
}

void ShowGameEnded() {
    ShowEndedLine();
}

void SetGameState(const char* state) {
    SetPageState(state);
}

bool PageHasFocus() {
    return DocumentHasFocus() != 0;
}

bool PageIsVisible() {
    EmscriptenVisibilityChangeEvent status{};
    return emscripten_get_visibility_status(&status) != EMSCRIPTEN_RESULT_SUCCESS ||
           status.hidden == EM_FALSE;
}

void CountPresentedFrame() {
    CountFrame();
}

void CountTick() {
    CountTimerTick();
}
