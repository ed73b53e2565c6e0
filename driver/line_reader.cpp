// Line reading. libedit runs in the user's character set (LC_CTYPE from the environment), set for
// this thread only while it reads, so that a program evaluated in the session still sees the C
// locale that every run has. Without VORN_LINE_EDITING the build has no libedit and reads plainly.
#include "driver/line_reader.h"

#include <locale.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "support/interrupt.h"

#ifdef VORN_LINE_EDITING
#include <histedit.h>
#endif

namespace vorn::driver {

namespace {

constexpr const char* kPrompt = "vorn> ";

bool interrupted() { return support::interruptRequested.load(); }

}  // namespace

#ifdef VORN_LINE_EDITING

namespace {

constexpr int kHistorySize = 1000;

const char* promptOf(EditLine*) { return kPrompt; }

// The history file: ~/.vorn_history, or none without a home.
std::string historyPath() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  return std::string(home) + "/.vorn_history";
}

// Switches this thread to the user's LC_CTYPE for as long as it lives.
class UserCharacterSet {
 public:
  explicit UserCharacterSet(locale_t locale) : previous_(locale ? uselocale(locale) : nullptr) {}
  ~UserCharacterSet() {
    if (previous_ != nullptr) uselocale(previous_);
  }
  UserCharacterSet(const UserCharacterSet&) = delete;
  UserCharacterSet& operator=(const UserCharacterSet&) = delete;

 private:
  locale_t previous_;
};

}  // namespace

struct LineReader::Editor {
  locale_t locale = nullptr;
  EditLine* line = nullptr;
  History* past = nullptr;
  std::string path;

  Editor() : locale(newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))), path(historyPath()) {
    UserCharacterSet set(locale);
    line = el_init("vorn", stdin, stdout, stderr);
    past = history_init();
    HistEvent event;
    ::history(past, &event, H_SETSIZE, kHistorySize);
    ::history(past, &event, H_SETUNIQUE, 1);
    if (!path.empty()) ::history(past, &event, H_LOAD, path.c_str());
    el_set(line, EL_PROMPT, promptOf);
    el_set(line, EL_EDITOR, "emacs");
    el_set(line, EL_HIST, ::history, past);
    // libedit puts the terminal back in order when a signal arrives, then passes the signal on.
    el_set(line, EL_SIGNAL, 1);
    el_source(line, nullptr);  // the user's ~/.editrc, if any
  }
  ~Editor() {
    el_end(line);
    history_end(past);
    if (locale != nullptr) freelocale(locale);
  }
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  Got read(std::string& text) {
    UserCharacterSet set(locale);
    int count = 0;
    const char* got = el_gets(line, &count);
    if (got == nullptr || count <= 0) {
      if (count < 0 && interrupted()) {
        // The abandoned line stays on the screen; the next prompt goes below it.
        std::fputs("\n", stdout);
        std::fflush(stdout);
        return Got::kInterrupted;
      }
      return Got::kEnd;
    }
    text.assign(got, static_cast<std::size_t>(count));
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return Got::kLine;
  }

  void remember(const std::string& text) {
    HistEvent event;
    ::history(past, &event, H_ENTER, text.c_str());
    if (!path.empty()) ::history(past, &event, H_SAVE, path.c_str());
  }
};

#else

struct LineReader::Editor {
  Got read(std::string&) { return Got::kEnd; }
  void remember(const std::string&) {}
};

#endif

LineReader::LineReader() : onTerminal_(isatty(STDIN_FILENO) == 1) {
#ifdef VORN_LINE_EDITING
  if (onTerminal_ && isatty(STDOUT_FILENO) == 1) editor_ = std::make_unique<Editor>();
#endif
}

LineReader::~LineReader() = default;

LineReader::Got LineReader::read(std::string& line) {
  if (editor_) return editor_->read(line);
  if (onTerminal_) {
    std::fputs(kPrompt, stderr);
    std::fflush(stderr);
  }
  line.clear();
  for (;;) {
    int c = std::getc(stdin);
    if (c == EOF) {
      if (std::ferror(stdin) != 0 && errno == EINTR && interrupted()) {
        std::clearerr(stdin);
        if (onTerminal_) std::fputs("\n", stderr);
        return Got::kInterrupted;
      }
      return line.empty() ? Got::kEnd : Got::kLine;
    }
    if (c == '\n') return Got::kLine;
    line += static_cast<char>(c);
  }
}

void LineReader::remember(const std::string& line) {
  if (editor_) editor_->remember(line);
}

}  // namespace vorn::driver
