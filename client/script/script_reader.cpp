#include "script/script_reader.h"

#include <QRegularExpression>
#include <QStringList>
#include <limits>

#include "result/result_code_text.h"

namespace script {
namespace {

// One word of a line, its quotes taken away.
struct Word {
  QString text;
  int equals = -1;  // position in `text` of the first "=" outside quotes
  bool quoted = false;
};

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r'); }

// Splits a line into words; false (with the reason) for an open quote.
bool splitWords(const QString& line, std::vector<Word>& words, QString& reason) {
  int i = 0;
  const int n = static_cast<int>(line.size());
  while (i < n) {
    while (i < n && isBlank(line[i])) ++i;
    if (i >= n) break;
    Word word;
    bool inQuotes = false;
    while (i < n && (inQuotes || !isBlank(line[i]))) {
      const QChar c = line[i];
      if (c == QLatin1Char('"')) {
        inQuotes = !inQuotes;
        word.quoted = true;
      } else if (inQuotes && c == QLatin1Char('\\') && i + 1 < n &&
                 (line[i + 1] == QLatin1Char('"') || line[i + 1] == QLatin1Char('\\'))) {
        word.text += line[++i];
      } else {
        if (!inQuotes && c == QLatin1Char('=') && word.equals < 0) word.equals = static_cast<int>(word.text.size());
        word.text += c;
      }
      ++i;
    }
    if (inQuotes) {
      reason = QStringLiteral("a quote is not closed");
      return false;
    }
    words.push_back(std::move(word));
  }
  return true;
}

bool parseMilliseconds(const QString& text, int& ms) {
  bool ok = false;
  const qlonglong value = text.toLongLong(&ok);
  if (!ok || value < 0 || value > std::numeric_limits<int>::max()) return false;
  ms = static_cast<int>(value);
  return true;
}

class LineReader {
 public:
  LineReader(int line, QString source, std::vector<Word> words)
      : words_(std::move(words)) {
    step_.line = line;
    step_.source = std::move(source);
  }

  bool read(QString& reason) {
    const Word& first = words_.front();
    const QString keyword = first.quoted ? QString() : first.text;
    if (keyword == QLatin1String("expect")) return readExpect(reason);
    if (keyword == QLatin1String("wait")) return readWait(reason);

    // Commands: their own words, then the answers.
    std::size_t end = 0;
    while (end < words_.size() && words_[end].equals < 0) ++end;
    for (std::size_t i = end; i < words_.size(); ++i) {
      if (words_[i].equals < 0) {
        reason = QStringLiteral("\"%1\" follows the answers; quote labels and values that have blanks")
                     .arg(words_[i].text);
        return false;
      }
      if (!readAnswer(words_[i], reason)) return false;
    }
    const std::vector<Word> own(words_.begin(), words_.begin() + static_cast<std::ptrdiff_t>(end));
    if (own.empty()) {
      reason = QStringLiteral("the line has answers but no command");
      return false;
    }

    if (keyword == QLatin1String("connect")) return readConnect(own, reason);
    if (keyword == QLatin1String("disconnect")) {
      step_.kind = StepKind::Disconnect;
      return expectCount(own, 1, QStringLiteral("disconnect takes no words"), reason) && noFieldAnswers(reason);
    }
    if (keyword == QLatin1String("group")) return readPopup(own, StepKind::Group, 2, reason);
    if (keyword == QLatin1String("item")) return readPopup(own, StepKind::Item, 3, reason);

    // A menu path may be written with blanks as the menu shows it
    // ("Help/About Quillon..."); its words run up to the first answer.
    step_.kind = StepKind::Menu;
    QStringList words;
    for (const Word& word : own) words << word.text;
    const QString path = words.join(QLatin1Char(' '));
    step_.menuPath = path.split(QLatin1Char('/'));
    for (QString& entry : step_.menuPath) {
      entry = entry.trimmed();
      if (entry.isEmpty()) {
        reason = QStringLiteral("the menu path \"%1\" has an empty entry").arg(path);
        return false;
      }
    }
    return true;
  }

  Step take() { return std::move(step_); }

 private:
  bool expectCount(const std::vector<Word>& own, std::size_t count, const QString& message, QString& reason) {
    if (own.size() == count) return true;
    reason = message;
    return false;
  }

  bool noFieldAnswers(QString& reason) {
    if (!step_.answersDialog()) return true;
    reason = QStringLiteral("%1 opens no dialog to answer").arg(words_.front().text);
    return false;
  }

  bool readAnswer(const Word& word, QString& reason) {
    const QString label = word.text.left(word.equals);
    const QString value = word.text.mid(word.equals + 1);
    if (label.isEmpty()) {
      reason = QStringLiteral("\"%1\" has no label before \"=\"").arg(word.text);
      return false;
    }
    if (label == QLatin1String("button")) {
      if (step_.button) {
        reason = QStringLiteral("the step names two buttons");
        return false;
      }
      step_.button = value;
    } else if (label == QLatin1String("box")) {
      step_.boxAnswers << value;
    } else if (label == QLatin1String("wait")) {
      int ms = 0;
      if (!parseMilliseconds(value, ms)) {
        reason = QStringLiteral("wait=%1 is not a number of milliseconds").arg(value);
        return false;
      }
      step_.dialogWaitMs = ms;
    } else {
      step_.answers.push_back({label, value});
    }
    return true;
  }

  bool readConnect(const std::vector<Word>& own, QString& reason) {
    step_.kind = StepKind::Connect;
    if (own.size() > 3) {
      reason = QStringLiteral("connect takes at most a ProgID and a machine");
      return false;
    }
    if (own.size() > 1) step_.progId = own[1].text;
    if (own.size() > 2) step_.machine = own[2].text;
    return noFieldAnswers(reason);
  }

  bool readPopup(const std::vector<Word>& own, StepKind kind, std::size_t names, QString& reason) {
    step_.kind = kind;
    if (own.size() <= names) {
      reason = kind == StepKind::Group ? QStringLiteral("use: group \"GROUP\" ENTRY")
                                       : QStringLiteral("use: item \"GROUP\" \"ITEM\" ENTRY");
      return false;
    }
    step_.group = own[1].text;
    if (kind == StepKind::Item) step_.item = own[2].text;
    QStringList entry;
    for (std::size_t i = names; i < own.size(); ++i) entry << own[i].text;
    step_.entry = entry.join(QLatin1Char(' '));
    return true;
  }

  bool readWait(QString& reason) {
    step_.kind = StepKind::Wait;
    if (words_.size() != 2 || !parseMilliseconds(words_[1].text, step_.waitMs)) {
      reason = QStringLiteral("use: wait MILLISECONDS");
      return false;
    }
    return true;
  }

  bool readExpect(QString& reason) {
    step_.kind = StepKind::Expect;
    Expectation& expectation = step_.expectation;
    if (words_.size() < 2) {
      reason = QStringLiteral("expect what? (code, line, match, box, function, connected, disconnected)");
      return false;
    }
    const QString what = words_[1].quoted ? QString() : words_[1].text;
    if (what == QLatin1String("connected") || what == QLatin1String("disconnected")) {
      expectation.kind = what == QLatin1String("connected") ? ExpectKind::Connected : ExpectKind::Disconnected;
      if (words_.size() == 2) return true;
      reason = QStringLiteral("expect %1 takes no text").arg(what);
      return false;
    }
    struct Kind {
      const char* word;
      ExpectKind kind;
    };
    static const Kind kinds[] = {{"code", ExpectKind::Code}, {"line", ExpectKind::Line}, {"match", ExpectKind::Match},
                                 {"box", ExpectKind::Box}, {"function", ExpectKind::Function}};
    std::size_t textAt = 2;
    bool known = false;
    for (const Kind& kind : kinds) {
      if (what == QLatin1String(kind.word)) {
        expectation.kind = kind.kind;
        known = true;
      }
    }
    if (!known) {
      // "expect S_OK" is short for "expect code S_OK".
      expectation.kind = ExpectKind::Code;
      textAt = 1;
    }
    if (words_.size() != textAt + 1) {
      reason = words_.size() <= textAt
                   ? QStringLiteral("expect %1 needs a text").arg(what)
                   : QStringLiteral("expect takes one text after \"%1\"; put a text with blanks in double quotes")
                         .arg(words_[textAt - 1].text);
      return false;
    }
    expectation.text = words_[textAt].text;
    if (expectation.kind == ExpectKind::Code && !ParseResultCode(expectation.text, expectation.code)) {
      reason = known ? QStringLiteral("\"%1\" is no return code name or number").arg(expectation.text)
                     : QStringLiteral("\"%1\" is no return code, and expect knows no check of that name "
                                      "(code, line, match, box, function, connected, disconnected)")
                           .arg(expectation.text);
      return false;
    }
    if (expectation.kind == ExpectKind::Match) {
      const QRegularExpression pattern(expectation.text);
      if (!pattern.isValid()) {
        reason = QStringLiteral("the pattern \"%1\" is not valid: %2").arg(expectation.text, pattern.errorString());
        return false;
      }
    }
    return true;
  }

  std::vector<Word> words_;
  Step step_;
};

}  // namespace

bool ParseResultCode(const QString& text, HRESULT& code) {
  if (ResultCodeOfText(text.toStdString(), code)) return true;
  bool ok = false;
  if (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X"))) {
    const QString digits = text.mid(2);
    const qulonglong value = digits.toULongLong(&ok, 16);
    if (!ok || digits.size() > 8) return false;
    code = static_cast<HRESULT>(static_cast<DWORD>(value));
    return true;
  }
  const qlonglong value = text.toLongLong(&ok, 10);
  if (!ok || value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<quint32>::max()) return false;
  code = static_cast<HRESULT>(static_cast<DWORD>(value));
  return true;
}

Script ReadScript(const QString& text) {
  Script script;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (int index = 0; index < lines.size(); ++index) {
    const int number = index + 1;
    const QString source = lines[index].trimmed();
    if (source.isEmpty() || source.startsWith(QLatin1Char('#'))) continue;
    std::vector<Word> words;
    QString reason;
    if (!splitWords(source, words, reason)) {
      script.errors.push_back({number, reason});
      continue;
    }
    LineReader reader(number, source, std::move(words));
    if (!reader.read(reason)) {
      script.errors.push_back({number, reason});
      continue;
    }
    script.steps.push_back(reader.take());
  }
  return script;
}

}  // namespace script
