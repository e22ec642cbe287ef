#include "tools/rc/compiler.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "platform/core/bytes.h"
#include "platform/resource/text1252.h"
#include "tools/rc/encoders.h"
#include "tools/rc/preprocessor.h"
#include "tools/rc/stylenames.h"

namespace rc {
namespace {

constexpr std::uint32_t kDefaultDialogStyle = 0x80880000;  // WS_POPUP | WS_BORDER | WS_SYSMENU
constexpr std::uint32_t kChildVisible = 0x50000000;        // WS_CHILD | WS_VISIBLE
constexpr std::uint32_t kCaption = 0x00C00000;
constexpr std::uint32_t kTabStop = 0x00010000;
constexpr std::uint32_t kGroup = 0x00020000;
constexpr std::uint32_t kBorder = 0x00800000;

constexpr std::array<std::string_view, 9> kMemoryFlags = {"PRELOAD", "LOADONCALL", "FIXED",  "MOVEABLE", "DISCARDABLE",
                                                          "PURE",    "IMPURE",     "SHARED", "NONSHARED"};

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

std::string Narrow(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out.push_back(plat::Utf16ToCp1252(c));
  return out;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path, const Location& where) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CompileError(where, "cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// How each control statement fills in what it does not spell out.
struct ControlKind {
  std::string_view keyword;
  plat::WORD classAtom;
  std::uint32_t style;  // added to WS_CHILD | WS_VISIBLE
  bool hasText;
};

constexpr auto kControls = std::to_array<ControlKind>({
    {"PUSHBUTTON", plat::DLG_CLASS_BUTTON, 0x0000 | kTabStop, true},
    {"DEFPUSHBUTTON", plat::DLG_CLASS_BUTTON, 0x0001 | kTabStop, true},
    {"CHECKBOX", plat::DLG_CLASS_BUTTON, 0x0002 | kTabStop, true},
    {"AUTOCHECKBOX", plat::DLG_CLASS_BUTTON, 0x0003 | kTabStop, true},
    {"RADIOBUTTON", plat::DLG_CLASS_BUTTON, 0x0004, true},
    {"AUTORADIOBUTTON", plat::DLG_CLASS_BUTTON, 0x0009, true},
    {"GROUPBOX", plat::DLG_CLASS_BUTTON, 0x0007, true},
    {"LTEXT", plat::DLG_CLASS_STATIC, 0x0000 | kGroup, true},
    {"CTEXT", plat::DLG_CLASS_STATIC, 0x0001 | kGroup, true},
    {"RTEXT", plat::DLG_CLASS_STATIC, 0x0002 | kGroup, true},
    {"ICON", plat::DLG_CLASS_STATIC, 0x0003, true},
    {"EDITTEXT", plat::DLG_CLASS_EDIT, 0x0000 | kBorder | kTabStop, false},
    {"LISTBOX", plat::DLG_CLASS_LISTBOX, 0x0001 | kBorder, false},
    {"COMBOBOX", plat::DLG_CLASS_COMBOBOX, 0x0001 | kTabStop, false},
    {"SCROLLBAR", plat::DLG_CLASS_SCROLLBAR, 0x0000, false},
});

constexpr auto kClassKeywords = std::to_array<std::pair<std::string_view, plat::WORD>>({
    {"BUTTON", plat::DLG_CLASS_BUTTON},
    {"EDIT", plat::DLG_CLASS_EDIT},
    {"STATIC", plat::DLG_CLASS_STATIC},
    {"LISTBOX", plat::DLG_CLASS_LISTBOX},
    {"SCROLLBAR", plat::DLG_CLASS_SCROLLBAR},
    {"COMBOBOX", plat::DLG_CLASS_COMBOBOX},
});

struct NamePairLess {
  bool operator()(const std::pair<plat::ResName, plat::ResName>& a,
                  const std::pair<plat::ResName, plat::ResName>& b) const {
    int c = plat::CompareResNames(a.first, b.first);
    return c != 0 ? c < 0 : plat::CompareResNames(a.second, b.second) < 0;
  }
};

class Parser {
 public:
  Parser(std::vector<Token> tokens, Preprocessor& pp) : toks_(std::move(tokens)), pp_(pp) {}

  std::vector<Resource> Run() {
    while (!AtEnd()) Statement();
    for (Resource& r : EncodeStringTable(strings_)) Add(r.type, r.name, std::move(r.data), Here());
    return std::move(out_);
  }

 private:
  // ---- token access
  bool AtEnd() const { return pos_ >= toks_.size(); }
  const Token& Peek() const {
    static const Token kEnd;
    return AtEnd() ? kEnd : toks_[pos_];
  }
  Location Here() const {
    if (!AtEnd()) return toks_[pos_].where;
    return toks_.empty() ? Location{} : toks_.back().where;
  }
  [[noreturn]] void Fail(const std::string& what) const { throw CompileError(Here(), what); }
  const Token& Next() {
    if (AtEnd()) Fail("unexpected end of script");
    return toks_[pos_++];
  }
  bool IsPunct(char c) const { return Peek().kind == TokenKind::Punct && Peek().text[0] == c; }
  bool IsWord(std::string_view w) const { return Peek().kind == TokenKind::Identifier && SameWord(Peek().text, w); }
  bool Accept(char c) {
    if (!IsPunct(c)) return false;
    ++pos_;
    return true;
  }
  bool AcceptWord(std::string_view w) {
    if (!IsWord(w)) return false;
    ++pos_;
    return true;
  }
  void Expect(char c) {
    if (!Accept(c)) Fail(std::string("expected '") + c + "'");
  }
  bool AcceptBegin() { return Accept('{') || AcceptWord("BEGIN"); }
  bool AcceptEnd() { return Accept('}') || AcceptWord("END"); }
  void ExpectBegin() {
    if (!AcceptBegin()) Fail("expected '{' or BEGIN");
  }
  std::u16string ExpectString() {
    if (Peek().kind != TokenKind::String) Fail("expected a string");
    return Next().str;
  }
  void SkipMemoryFlags() {
    while (Peek().kind == TokenKind::Identifier &&
           std::any_of(kMemoryFlags.begin(), kMemoryFlags.end(), [&](std::string_view f) { return IsWord(f); })) {
      ++pos_;
    }
  }

  // ---- numbers
  std::uint32_t Primary() {
    if (Accept('(')) {
      std::uint32_t v = Expr();
      Expect(')');
      return v;
    }
    if (Accept('-')) return 0u - Primary();
    if (Accept('~')) return ~Primary();
    if (Accept('+')) return Primary();
    const Token& t = Peek();
    if (t.kind == TokenKind::Number) return Next().number;
    if (t.kind == TokenKind::Identifier) {
      if (auto v = LookUpStyleName(t.text)) {
        ++pos_;
        return *v;
      }
      Fail("unknown name " + t.text);
    }
    Fail("expected a number");
  }
  std::uint32_t Sum() {
    std::uint32_t v = Primary();
    for (;;) {
      if (Accept('+')) {
        v += Primary();
      } else if (Accept('-')) {
        v -= Primary();
      } else {
        return v;
      }
    }
  }
  std::uint32_t AndExpr() {
    std::uint32_t v = Sum();
    while (Accept('&')) v &= Sum();
    return v;
  }
  std::uint32_t Expr() {
    std::uint32_t v = AndExpr();
    while (Accept('|')) v |= AndExpr();
    return v;
  }
  // A style: terms joined by '|', each of which may be NOT term to clear bits.
  std::uint32_t Style(std::uint32_t base) {
    std::uint32_t v = base;
    do {
      if (AcceptWord("NOT")) {
        v &= ~AndExpr();
      } else {
        v |= AndExpr();
      }
    } while (Accept('|'));
    return v;
  }
  std::int16_t Coord() { return static_cast<std::int16_t>(Expr()); }

  // ---- names
  plat::ResName Name() {
    const Token& t = Peek();
    if (t.kind == TokenKind::String) return plat::ResName(Narrow(Next().str));
    if (t.kind == TokenKind::Identifier && !LookUpStyleName(t.text)) return plat::ResName(Next().text);
    std::uint32_t v = Expr();
    if (v > 0xFFFF) Fail("resource number above 65535");
    return plat::ResName(static_cast<int>(v));
  }
  // Item text or a menu or class field: a string, a name, or a number.
  plat::SzOrOrd Field() {
    plat::SzOrOrd f;
    const Token& t = Peek();
    if (t.kind == TokenKind::String) {
      f.text = Narrow(Next().str);
    } else if (t.kind == TokenKind::Identifier && !LookUpStyleName(t.text) && !IsWord("NOT")) {
      f.text = Next().text;
    } else {
      f.isOrdinal = true;
      f.ordinal = static_cast<plat::WORD>(Expr());
    }
    return f;
  }

  // ---- statements
  void Statement() {
    if (AcceptWord("STRINGTABLE")) {
      StringTable();
      return;
    }
    Location where = Here();
    plat::ResName name = Name();
    if (AtEnd()) Fail("expected a resource type");
    if (AcceptWord("DIALOG")) {
      Dialog(name, false, where);
    } else if (AcceptWord("DIALOGEX")) {
      Dialog(name, true, where);
    } else if (AcceptWord("BITMAP")) {
      Add(plat::RT_BITMAP, name, Converted(where, [](auto bytes) { return BitmapFromFile(bytes); }), where);
    } else if (AcceptWord("CURSOR")) {
      AddGroup(name, true, where);
    } else if (AcceptWord("ICON")) {
      AddGroup(name, false, where);
    } else {
      plat::ResName type = AcceptWord("RCDATA") ? plat::ResName(plat::RT_RCDATA) : Name();
      SkipMemoryFlags();
      if (Peek().kind == TokenKind::String) {
        Add(type, name, ReadBytes(FileOperand(), where), where);
      } else {
        Add(type, name, RawData(), where);
      }
    }
  }

  std::filesystem::path FileOperand() {
    SkipMemoryFlags();
    Location where = Here();
    return pp_.FindFile(Narrow(ExpectString()), where);
  }

  template <typename Convert>
  std::vector<std::uint8_t> Converted(const Location& where, Convert convert) {
    auto path = FileOperand();
    auto bytes = ReadBytes(path, where);
    try {
      return convert(std::span<const std::uint8_t>(bytes));
    } catch (const std::runtime_error& e) {
      throw CompileError(where, path.string() + ": " + e.what());
    }
  }

  void AddGroup(const plat::ResName& name, bool cursor, const Location& where) {
    auto path = FileOperand();
    auto bytes = ReadBytes(path, where);
    std::vector<Resource> parts;
    try {
      parts = cursor ? CursorGroupFromFile(bytes, name, nextCursorId_) : IconGroupFromFile(bytes, name, nextIconId_);
    } catch (const std::runtime_error& e) {
      throw CompileError(where, path.string() + ": " + e.what());
    }
    for (Resource& r : parts) Add(r.type, r.name, std::move(r.data), where);
  }

  void Add(const plat::ResName& type, const plat::ResName& name, std::vector<std::uint8_t> data,
           const Location& where) {
    if (!defined_.emplace(type, name).second) throw CompileError(where, "resource defined twice");
    Resource r;
    r.type = type;
    r.name = name;
    r.data = std::move(data);
    out_.push_back(std::move(r));
  }

  std::vector<std::uint8_t> RawData() {
    ExpectBegin();
    plat::ByteWriter w;
    while (!AcceptEnd()) {
      if (AtEnd()) Fail("raw data without its end");
      if (Accept(',')) continue;
      const Token& t = Peek();
      if (t.kind == TokenKind::String) {
        const Token& s = Next();
        if (s.wide) {
          for (char16_t c : s.str) w.U16(c);
        } else {
          w.Chars(Narrow(s.str));
        }
        continue;
      }
      // A number is 16 bits unless the first literal of its expression says L.
      bool isLong = t.kind == TokenKind::Number && t.isLong;
      std::uint32_t v = Expr();
      if (isLong) {
        w.U32(v);
      } else {
        w.U16(static_cast<std::uint16_t>(v));
      }
    }
    return w.Take();
  }

  void StringTable() {
    SkipMemoryFlags();
    ExpectBegin();
    while (!AcceptEnd()) {
      if (AtEnd()) Fail("STRINGTABLE without its end");
      Location where = Here();
      std::uint32_t id = Expr();
      if (id > 0xFFFF) throw CompileError(where, "string number above 65535");
      Accept(',');
      std::u16string text = ExpectString();
      if (!strings_.emplace(static_cast<std::uint16_t>(id), std::move(text)).second) {
        throw CompileError(where, "string " + std::to_string(id) + " defined twice");
      }
    }
  }

  void Dialog(const plat::ResName& name, bool extended, const Location& where) {
    plat::DialogTemplate d;
    d.extended = extended;
    SkipMemoryFlags();
    d.x = Coord();
    Expect(',');
    d.y = Coord();
    Expect(',');
    d.cx = Coord();
    Expect(',');
    d.cy = Coord();
    if (extended && Accept(',')) d.helpId = Expr();
    std::optional<std::uint32_t> style;
    bool caption = false;
    while (!AcceptBegin()) {
      if (AtEnd()) Fail("dialog without its items");
      if (AcceptWord("STYLE")) {
        style = Style(0);
      } else if (AcceptWord("EXSTYLE")) {
        d.exStyle = Style(0);
      } else if (AcceptWord("CAPTION")) {
        d.caption = Narrow(ExpectString());
        caption = true;
      } else if (AcceptWord("FONT")) {
        d.hasFont = true;
        d.pointSize = static_cast<plat::WORD>(Expr());
        Expect(',');
        d.faceName = Narrow(ExpectString());
        if (Accept(',')) {
          if (!extended) Fail("font weight, italic and character set need DIALOGEX");
          d.weight = static_cast<plat::WORD>(Expr());
          Expect(',');
          d.italic = Expr() != 0;
          Expect(',');
          d.charset = static_cast<plat::BYTE>(Expr());
        }
      } else if (AcceptWord("CLASS")) {
        d.windowClass = Field();
      } else if (AcceptWord("MENU")) {
        d.menu = Field();
      } else {
        Fail("unknown dialog option " + Peek().text);
      }
    }
    d.style = style.value_or(kDefaultDialogStyle);
    if (caption) d.style |= kCaption;
    if (d.hasFont) d.style |= plat::DS_SETFONT;
    while (!AcceptEnd()) {
      if (AtEnd()) Fail("dialog without its END");
      d.items.push_back(Item(extended));
    }
    if (d.items.size() > 0xFFFF) throw CompileError(where, "too many dialog items");
    Add(plat::RT_DIALOG, name, EncodeDialogTemplate(d), where);
  }

  // The optional tail of an item: [, style[, exstyle[, helpId]]].
  void ItemTail(plat::DialogItem& item, std::uint32_t baseStyle, bool extended) {
    item.style = baseStyle;
    if (!Accept(',')) return;
    item.style = Style(baseStyle);
    if (!Accept(',')) return;
    item.exStyle = Style(0);
    if (!Accept(',')) return;
    if (!extended) Fail("an item help id needs DIALOGEX");
    item.helpId = Expr();
  }

  void Rect(plat::DialogItem& item) {
    item.x = Coord();
    Expect(',');
    item.y = Coord();
    Expect(',');
    item.cx = Coord();
    Expect(',');
    item.cy = Coord();
  }

  plat::DialogItem Item(bool extended) {
    plat::DialogItem item;
    if (AcceptWord("CONTROL")) {
      item.text = Field();
      Expect(',');
      item.id = Expr();
      Expect(',');
      item.windowClass = ControlClass();
      Expect(',');
      item.style = Style(kChildVisible);
      Expect(',');
      Rect(item);
      if (Accept(',')) {
        item.exStyle = Style(0);
        if (Accept(',')) {
          if (!extended) Fail("an item help id needs DIALOGEX");
          item.helpId = Expr();
        }
      }
      return item;
    }
    auto kind =
        std::find_if(kControls.begin(), kControls.end(), [&](const ControlKind& k) { return IsWord(k.keyword); });
    if (kind == kControls.end()) Fail("unknown dialog item " + Peek().text);
    const bool isIcon = kind->keyword == "ICON";
    ++pos_;
    item.windowClass.isOrdinal = true;
    item.windowClass.ordinal = kind->classAtom;
    if (kind->hasText) {
      item.text = Field();
      Expect(',');
    }
    item.id = Expr();
    Expect(',');
    if (isIcon) {
      item.x = Coord();
      Expect(',');
      item.y = Coord();
      if (Accept(',')) {
        item.cx = Coord();
        Expect(',');
        item.cy = Coord();
        ItemTail(item, kChildVisible | kind->style, extended);
      } else {
        item.style = kChildVisible | kind->style;
      }
      return item;
    }
    Rect(item);
    ItemTail(item, kChildVisible | kind->style, extended);
    return item;
  }

  plat::SzOrOrd ControlClass() {
    plat::SzOrOrd c;
    if (Peek().kind == TokenKind::Identifier) {
      auto it =
          std::find_if(kClassKeywords.begin(), kClassKeywords.end(), [&](const auto& k) { return IsWord(k.first); });
      if (it == kClassKeywords.end()) Fail("unknown control class " + Peek().text);
      ++pos_;
      c.isOrdinal = true;
      c.ordinal = it->second;
      return c;
    }
    if (Peek().kind == TokenKind::String) {
      c.text = Narrow(Next().str);
      // The predefined classes are stored by number, as the system expects.
      auto it = std::find_if(kClassKeywords.begin(), kClassKeywords.end(),
                             [&](const auto& k) { return SameWord(k.first, c.text); });
      if (it != kClassKeywords.end()) {
        c.text.clear();
        c.isOrdinal = true;
        c.ordinal = it->second;
      }
      return c;
    }
    c.isOrdinal = true;
    c.ordinal = static_cast<plat::WORD>(Expr());
    return c;
  }

  std::vector<Token> toks_;
  std::size_t pos_ = 0;
  Preprocessor& pp_;
  std::vector<Resource> out_;
  std::set<std::pair<plat::ResName, plat::ResName>, NamePairLess> defined_;
  std::map<std::uint16_t, std::u16string> strings_;
  std::uint16_t nextCursorId_ = 1;
  std::uint16_t nextIconId_ = 1;
};

void Define(Preprocessor& pp, const CompileOptions& options) {
  for (const auto& [name, value] : options.defines) pp.Define(name, value);
}

template <typename Tokens>
CompileResult Compile(Preprocessor& pp, Tokens tokens) {
  CompileResult result;
  try {
    Parser parser(tokens(), pp);
    result.resources = parser.Run();
  } catch (const CompileError& e) {
    result.error = e.what();
    result.resources.clear();
  }
  result.dependencies = pp.Dependencies();
  return result;
}

}  // namespace

CompileResult CompileScript(const std::filesystem::path& script, const CompileOptions& options) {
  Preprocessor pp(options.includeDirs);
  return Compile(pp, [&] {
    Define(pp, options);
    return pp.Run(script);
  });
}

CompileResult CompileScriptText(std::string_view text, const std::filesystem::path& name,
                                const CompileOptions& options) {
  Preprocessor pp(options.includeDirs);
  return Compile(pp, [&] {
    Define(pp, options);
    return pp.RunText(text, name);
  });
}

}  // namespace rc
