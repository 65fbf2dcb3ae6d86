// The grammar behind the differential fuzzers' texts. Two rules keep every text finite and
// small whatever the literals are:
// - loops count in their own header (for, while and do-while on a counter that only the
//   header writes, for-in over a literal), up to a count hole of at most 3;
// - a value stored anywhere is built from literals and scalar reads of variables (a number,
//   a type name, the first characters of a text), so nothing grows by feeding on itself;
//   whole objects are read only where nothing keeps them (a condition, the value of a text).
// Functions call no function of ours but those declared inside them, and those call none, so
// nothing recurses. The indices stored at stay small, so no array gets a huge length.
#include "fuzz/statement_shapes.h"

#include <array>
#include <string>

namespace {

// The holes: private-use characters that the grammar never writes otherwise.
constexpr char16_t kStringHole = u'\uE000';
constexpr char16_t kNumberHole = u'\uE001';
constexpr char16_t kCountHole = u'\uE002';
constexpr char16_t kRegexHole = u'\uE003';
constexpr char16_t kKeyHole = u'\uE004';
constexpr char16_t kDirectiveHole = u'\uE005';
constexpr char16_t kEvalHole = u'\uE006';

template <size_t N>
std::u16string_view pick(ChoiceStream& choices, const std::array<std::u16string_view, N>& from) {
  return from[choices.below(N)];
}

constexpr std::array<std::u16string_view, 13> kGlobals{u"a", u"b", u"c", u"w", u"x", u"s", u"n",
                                                       u"o", u"arr", u"序号", u"名字", u"$v", u"_t"};
// The globals a whole value is assigned to: all but the array and the object the stores work on.
constexpr std::array<std::u16string_view, 11> kAssignable{u"a", u"b", u"c", u"w", u"x", u"s", u"n",
                                                          u"序号", u"名字", u"$v", u"_t"};
constexpr std::array<std::u16string_view, 4> kFunctions{u"f0", u"f1", u"f2", u"f3"};
constexpr std::array<std::u16string_view, 5> kProperties{u"p", u"q", u"row", u"column", u"值"};

// What the statements being written may do where they stand.
struct Scope {
  int depth = 0;          // statements and blocks around this point
  int loopLevel = 0;      // loops around this point, within the function
  int forIns = 0;         // for-in loops among them
  bool inSwitch = false;  // a plain break is allowed
  bool inFunction = false;
  // Labels a continue may name; for a for-in, with the for-in loops around its body (else -1).
  std::vector<std::pair<std::u16string, int>> loopLabels;
  std::vector<std::u16string> labels;      // labels a break may name
  std::vector<std::u16string> callable;    // functions of ours a call here may reach
  std::vector<std::u16string> readable;    // names besides the globals: parameters, the caught error
};

class ShapeWriter {
 public:
  explicit ShapeWriter(ChoiceStream& choices) : c_(choices) {}

  std::u16string text() {
    Scope top;
    top.callable.assign(kFunctions.begin(), kFunctions.end());
    if (c_.oneIn(8)) out_ += std::u16string(1, kDirectiveHole) + u"; ";
    const int count = c_.between(1, 3);
    for (int i = 0; i < count; ++i) statement(top);
    if (c_.oneIn(2)) {  // the text's value: in parentheses, so an object literal is no block
      out_ += u'(';
      probe(top, 0);
      out_ += u");";
    }
    return std::move(out_);
  }

 private:
  // ---- statements ----------------------------------------------------------------------

  void statement(Scope& scope) {
    --budget_;
    const bool compound = budget_ > 0 && scope.depth < 4;
    switch (compound ? c_.below(16) : c_.below(3)) {
      case 0: assignment(scope); break;
      case 1: store(scope); break;
      case 2: expressionStatement(scope); break;
      case 3: ifStatement(scope); break;
      case 4:
      case 5: loop(scope); break;
      case 6:
      case 7: tryStatement(scope); break;
      case 8: throwStatement(scope); break;
      case 9: switchStatement(scope); break;
      case 10: functionDeclaration(scope); break;
      case 11:
      case 12: jump(scope); break;
      case 13: labelledBlock(scope); break;
      case 14:
        // Half as often as the others: in strict code, which a directive makes, it does not compile.
        if (c_.oneIn(2)) {
          withStatement(scope);
        } else {
          labelledBlock(scope);
        }
        break;
      default: removal(scope); break;
    }
  }

  void block(const Scope& outer, int most = 3) {
    Scope inner = outer;
    ++inner.depth;
    out_ += u"{ ";
    const int count = c_.between(1, most);
    for (int i = 0; i < count; ++i) statement(inner);
    out_ += u"} ";
  }

  void assignment(const Scope& scope) {
    const bool declares = c_.oneIn(3);
    if (declares) out_ += u"var ";
    out_ += pick(c_, kAssignable);
    if (!declares && c_.oneIn(5)) {
      // A number, so a text that does this in a loop, again and again, does not double a text.
      out_ += u" += +(";
      leaf(scope);
      out_ += u')';
    } else {
      out_ += u" = ";
      value(scope, 0);
    }
    out_ += u"; ";
  }

  void store(const Scope& scope) {
    const uint32_t form = c_.below(5);
    // Mostly the array for push, unshift and length: on anything else they are no functions
    // or do nothing. Cutting the array short keeps it from growing over a pair's life.
    out_ += form >= 2 && !c_.oneIn(5) ? u"arr" : pick(c_, kGlobals);
    switch (form) {
      case 0:
        out_ += u'.';
        out_ += pick(c_, kProperties);
        out_ += u" = ";
        value(scope, 0);
        break;
      case 1:
        out_ += u'[';
        out_ += kKeyHole;
        out_ += u"] = ";
        value(scope, 0);
        break;
      case 2:
        out_ += c_.oneIn(3) ? u".unshift(" : u".push(";
        value(scope, 0);
        out_ += u')';
        break;
      case 3:
        out_ += u".length = ";
        out_ += kCountHole;
        break;
      default:
        out_ += u'[';
        out_ += kCountHole;
        out_ += u"] = ";
        value(scope, 0);
        break;
    }
    out_ += u"; ";
  }

  void removal(const Scope&) {
    out_ += u"delete ";
    out_ += pick(c_, kGlobals);
    out_ += c_.oneIn(2) ? u"." + std::u16string(pick(c_, kProperties)) : u"[" + std::u16string(1, kKeyHole) + u"]";
    out_ += u"; ";
  }

  void expressionStatement(const Scope& scope) {
    if (!scope.callable.empty() && c_.oneIn(2)) {
      out_ += scope.callable[c_.below(static_cast<uint32_t>(scope.callable.size()))];
      out_ += u'(';
      value(scope, 1);
      out_ += u", ";
      value(scope, 1);
      out_ += u')';
    } else {
      // In parentheses: an object literal must not open a statement, where it would be a block.
      out_ += u'(';
      probe(scope, 0);
      out_ += u')';
    }
    out_ += u"; ";
  }

  void ifStatement(const Scope& scope) {
    out_ += u"if (";
    probe(scope, 1);
    out_ += u") ";
    block(scope);
    if (c_.oneIn(2)) {
      out_ += u"else ";
      if (c_.oneIn(3)) {
        ifStatement(scope);
      } else {
        block(scope);
      }
    }
  }

  // A loop counts in its own header, on a counter named for its level that nothing else writes.
  void loop(const Scope& outer) {
    if (outer.loopLevel >= 3) return assignment(outer);
    Scope inner = outer;
    const std::u16string level = std::u16string(1, static_cast<char16_t>(u'0' + outer.loopLevel));
    ++inner.loopLevel;
    const uint32_t kind = c_.below(5);
    const bool forIn = kind == 4;
    if (forIn) ++inner.forIns;
    std::u16string label;
    if (c_.oneIn(3)) {
      label = u"l" + std::u16string(1, static_cast<char16_t>(u'0' + labelCount_++ % 10));
      inner.loopLabels.emplace_back(label, forIn ? inner.forIns : -1);
      inner.labels.push_back(label);
    }
    inner.inSwitch = false;
    auto labelled = [&] {
      if (!label.empty()) out_ += label + u": ";
    };
    switch (kind) {
      case 0:
      case 1:
        labelled();
        out_ += u"for (var k" + level + u" = 0; k" + level + u" < " + std::u16string(1, kCountHole) + u"; k" + level +
                u"++) ";
        block(inner);
        break;
      case 2:
        out_ += u"var c" + level + u" = 0; ";
        labelled();
        out_ += u"while (c" + level + u"++ < " + std::u16string(1, kCountHole) + u") ";
        block(inner);
        break;
      case 3:
        out_ += u"var c" + level + u" = 0; ";
        labelled();
        out_ += u"do ";
        block(inner);
        out_ += u"while (c" + level + u"++ < " + std::u16string(1, kCountHole) + u"); ";
        break;
      default:  // 4
        labelled();
        out_ += u"for (var p" + level + u" in ";
        if (c_.oneIn(2)) {
          out_ += u"[";
          value(outer, 2);
          out_ += u", ";
          value(outer, 2);
          out_ += u"]";
        } else {
          objectLiteral(outer, 2);
        }
        out_ += u") ";
        block(inner);
        break;
    }
  }

  void tryStatement(const Scope& scope) {
    out_ += u"try ";
    block(scope);
    const uint32_t form = c_.below(3);  // catch, finally, or both
    if (form != 1) {
      Scope handler = scope;
      const std::u16string name = c_.oneIn(2) ? u"e" : u"err";
      handler.readable.push_back(name);
      out_ += u"catch (" + name + u") ";
      block(handler);
    }
    if (form != 0) {
      out_ += u"finally ";
      block(scope);
    }
  }

  void throwStatement(const Scope& scope) {
    // Mostly inside a block: at the top a throw ends the text before the rest of it runs.
    if (scope.depth == 0 && !c_.oneIn(4)) return assignment(scope);
    out_ += u"throw ";
    static constexpr std::array<std::u16string_view, 4> kErrors{u"Error", u"TypeError", u"RangeError", u"SyntaxError"};
    if (c_.oneIn(2)) {
      out_ += u"new ";
      out_ += pick(c_, kErrors);
      out_ += u'(';
      value(scope, 1);
      out_ += u')';
    } else {
      value(scope, 1);
    }
    out_ += u"; ";
  }

  void switchStatement(const Scope& outer) {
    Scope inner = outer;
    inner.inSwitch = true;
    ++inner.depth;
    out_ += u"switch (";
    probe(outer, 1);
    out_ += u") { ";
    const int cases = c_.between(1, 3);
    for (int i = 0; i < cases; ++i) {
      out_ += u"case ";
      out_ += c_.oneIn(2) ? kNumberHole : kStringHole;
      out_ += u": ";
      statement(inner);
      if (c_.oneIn(2)) out_ += u"break; ";
    }
    if (c_.oneIn(2)) {
      out_ += u"default: ";
      statement(inner);
    }
    out_ += u"} ";
  }

  // A function of ours: at the top one of f0..f3, which may call the functions declared in
  // it; inside a function one that calls none.
  void functionDeclaration(const Scope& outer) {
    if (outer.inFunction && !outer.callable.empty()) return assignment(outer);
    Scope body;
    body.depth = outer.depth + 1;
    body.inFunction = true;
    body.readable = {u"a", u"b"};
    std::u16string name;
    std::vector<std::u16string> nested;
    if (outer.inFunction) {
      name = u"g" + std::u16string(1, static_cast<char16_t>(u'0' + nestedCount_++ % 3));
    } else {
      name = std::u16string(pick(c_, kFunctions));
      if (c_.oneIn(2)) nested.push_back(u"g" + std::u16string(1, static_cast<char16_t>(u'0' + nestedCount_++ % 3)));
    }
    out_ += u"function " + name + u"(a, b) { ";
    if (c_.oneIn(6)) out_ += std::u16string(1, kDirectiveHole) + u"; ";
    for (const std::u16string& inner : nested) {
      Scope leaf = body;
      leaf.readable = {u"a"};
      out_ += u"function " + inner + u"(a) { ";
      statement(leaf);
      out_ += u"return ";
      value(leaf, 1);
      out_ += u"; } ";
    }
    body.callable = nested;
    const int count = c_.between(1, 3);
    for (int i = 0; i < count; ++i) statement(body);
    if (c_.oneIn(3) == false) {
      out_ += u"return ";
      value(body, 0);
      out_ += u"; ";
    }
    out_ += u"} ";
  }

  // break, continue (plain or to a label) and return where they are allowed; now and then
  // one where it is not, which must fail to compile the same way on both engines.
  void jump(const Scope& scope) {
    std::vector<std::u16string> allowed;
    if (scope.loopLevel > 0 || scope.inSwitch) allowed.push_back(u"break; ");
    if (scope.loopLevel > 0) allowed.push_back(u"continue; ");
    for (const auto& label : scope.labels) allowed.push_back(u"break " + label + u"; ");
    // A continue that names a for-in from inside another for-in is left out: both copies of
    // mujs then go on with the inner loop's place for the outer one's (two such loops end
    // early; three never end), a fault of the interpreter itself that no text of ours has.
    for (const auto& [label, forInsInside] : scope.loopLabels) {
      if (forInsInside < 0 || forInsInside == scope.forIns) allowed.push_back(u"continue " + label + u"; ");
    }
    if (scope.inFunction) allowed.push_back(u"return ");
    if (allowed.empty() && !c_.oneIn(40)) return assignment(scope);
    if (allowed.empty() || c_.oneIn(40)) {
      static constexpr std::array<std::u16string_view, 4> kMisplaced{u"break; ", u"continue; ", u"return; ",
                                                                     u"break nowhere; "};
      out_ += pick(c_, kMisplaced);
      return;
    }
    const std::u16string& chosen = allowed[c_.below(static_cast<uint32_t>(allowed.size()))];
    out_ += chosen;
    if (chosen == u"return ") {
      value(scope, 1);
      out_ += u"; ";
    }
  }

  void labelledBlock(const Scope& outer) {
    Scope inner = outer;
    const std::u16string label = u"m" + std::u16string(1, static_cast<char16_t>(u'0' + labelCount_++ % 10));
    inner.labels.push_back(label);
    out_ += label + u": ";
    block(inner);
  }

  void withStatement(const Scope& scope) {
    out_ += u"with (";
    objectLiteral(scope, 1);
    out_ += u") ";
    block(scope, 2);
  }

  // ---- expressions ---------------------------------------------------------------------

  // Any readable name: a global, or a parameter or caught error in scope.
  std::u16string name(const Scope& scope) {
    if (!scope.readable.empty() && c_.oneIn(3)) {
      return scope.readable[c_.below(static_cast<uint32_t>(scope.readable.size()))];
    }
    return std::u16string(pick(c_, kGlobals));
  }

  // A value that may be kept: built from literals and scalar reads, never a whole variable.
  void value(const Scope& scope, int depth) {
    if (depth >= 2 || c_.oneIn(2)) return leaf(scope);
    switch (c_.below(20)) {
      case 0:
      case 1:
      case 2: {
        static constexpr std::array<std::u16string_view, 16> kOperators{
            u" + ", u" + ", u" - ", u" * ", u" / ", u" % ", u" < ", u" >= ", u" == ", u" === ",
            u" != ", u" && ", u" || ", u" | ", u" << ", u" >>> "};
        const std::u16string_view op = pick(c_, kOperators);
        out_ += u'(';
        value(scope, depth + 1);
        out_ += op;
        // Shifts by a count: a number that reads as -2**31 makes both copies of the interpreter
        // negate INT_MIN when they write it (js_itoa, undefined behaviour), and 1 << 31 is one.
        if (op == u" << ") {
          out_ += kCountHole;
        } else {
          value(scope, depth + 1);
        }
        out_ += u')';
        break;
      }
      case 3: {
        static constexpr std::array<std::u16string_view, 5> kUnary{u"-", u"!", u"~", u"typeof ", u"void "};
        out_ += pick(c_, kUnary);
        out_ += u'(';
        value(scope, depth + 1);
        out_ += u')';
        break;
      }
      case 4:
        out_ += u'(';
        probe(scope, depth + 1);
        out_ += u" ? ";
        value(scope, depth + 1);
        out_ += u" : ";
        value(scope, depth + 1);
        out_ += u')';
        break;
      case 5:
        out_ += u'[';
        value(scope, depth + 1);
        if (c_.oneIn(2)) {
          out_ += u", ";
          value(scope, depth + 1);
        }
        out_ += u']';
        break;
      case 6: objectLiteral(scope, depth + 1); break;
      case 7: {
        // A function expression called at once: it calls nothing of ours.
        Scope body;
        body.depth = scope.depth + 1;
        body.inFunction = true;
        body.readable = {u"a"};
        out_ += u"(function (a) { ";
        if (budget_ > 0) statement(body);
        out_ += u"return ";
        value(body, depth + 1);
        out_ += u"; })(";
        value(scope, depth + 1);
        out_ += u')';
        break;
      }
      case 8: {
        Scope body;
        body.inFunction = true;
        body.readable = {u"a", u"i"};
        out_ += u"[";
        value(scope, depth + 1);
        out_ += u", ";
        value(scope, depth + 1);
        out_ += u"].map(function (a, i) { return ";
        value(body, depth + 1);
        out_ += u"; }).join(";
        out_ += kStringHole;
        out_ += u')';
        break;
      }
      case 9:
        // Cut short first: a pattern that matches everywhere repeats the replacement per character.
        out_ += u"String(";
        value(scope, depth + 1);
        out_ += u").slice(0, 40).replace(";
        out_ += kRegexHole;
        out_ += u", ";
        leaf(scope);
        out_ += u')';
        break;
      case 10:
        out_ += kRegexHole;
        out_ += c_.oneIn(2) ? u".test(" : u".exec(";
        value(scope, depth + 1);
        out_ += u')';
        break;
      case 11: {
        static constexpr std::array<std::u16string_view, 10> kCalls{
            u"JSON.stringify(", u"JSON.parse(", u"parseInt(", u"parseFloat(", u"Number(",
            u"Math.floor(",     u"isNaN(",      u"String.fromCharCode(", u"encodeURIComponent(", u"encodeURI("};
        out_ += pick(c_, kCalls);
        value(scope, depth + 1);
        out_ += u')';
        break;
      }
      case 12: {
        struct Method {
          std::u16string_view receiver, call;
          bool countArgument;  // a count hole rather than any value
        };
        // charAt takes a huge negative position as INT_MIN, and mujs's js_runeat then counts
        // one below it (undefined behaviour in both copies): small positions only, for now.
        static constexpr std::array<Method, 7> kMethods{{{u"Number(", u").toFixed(", true},
                                                         {u"Number(", u").toString(2 + ", true},
                                                         {u"Number(", u").toPrecision(1 + ", true},
                                                         {u"Number(", u").toExponential(", true},
                                                         {u"String(", u").charAt(", true},
                                                         {u"String(", u").indexOf(", false},
                                                         {u"String(", u").split(", false}}};
        const Method& method = kMethods[c_.below(kMethods.size())];
        out_ += method.receiver;
        value(scope, depth + 1);
        out_ += method.call;
        if (method.countArgument) {
          out_ += kCountHole;
        } else {
          value(scope, depth + 1);
        }
        out_ += method.call == u").split(" ? u").length" : u")";
        break;
      }
      case 13:
        if (!scope.callable.empty()) {
          out_ += scope.callable[c_.below(static_cast<uint32_t>(scope.callable.size()))];
          out_ += u'(';
          value(scope, depth + 1);
          out_ += u')';
        } else {
          leaf(scope);
        }
        break;
      case 14:
        out_ += u"new Error(";
        value(scope, depth + 1);
        out_ += u").message";
        break;
      case 15:
        if (!c_.oneIn(2)) return leaf(scope);
        out_ += u"eval(";
        out_ += kEvalHole;
        out_ += u')';
        break;
      default: leaf(scope); break;
    }
  }

  // A literal or a scalar read of a variable.
  void leaf(const Scope& scope) {
    switch (c_.below(12)) {
      case 0:
      case 1:
      case 2: out_ += kNumberHole; break;
      case 3:
      case 4:
      case 5: out_ += kStringHole; break;
      case 6: {
        static constexpr std::array<std::u16string_view, 5> kConstants{u"true", u"false", u"null", u"undefined",
                                                                       u"typeof this.名字"};
        out_ += pick(c_, kConstants);
        break;
      }
      case 7: out_ += u"(+" + name(scope) + u")"; break;
      case 8: out_ += u"typeof " + name(scope); break;
      case 9: out_ += u"String(" + name(scope) + u").slice(0, " + std::u16string(1, kCountHole) + u")"; break;
      case 10:
        out_ += u"(" + name(scope) + u" == ";
        out_ += c_.oneIn(2) ? kNumberHole : kStringHole;
        out_ += u')';
        break;
      default: out_ += u"!" + name(scope); break;
    }
  }

  void objectLiteral(const Scope& scope, int depth) {
    out_ += u"{";
    const int members = c_.between(0, 3);
    for (int i = 0; i < members; ++i) {
      if (i > 0) out_ += u", ";
      if (c_.oneIn(8)) {
        // A getter runs whenever its object is read, from anywhere: it calls nothing of ours.
        Scope getter;
        getter.inFunction = true;
        out_ += u"get ";
        out_ += pick(c_, kProperties);
        out_ += u"() { return ";
        value(getter, depth + 1);
        out_ += u" }";
        continue;
      }
      if (c_.oneIn(2)) {
        out_ += pick(c_, kProperties);
      } else {
        out_ += kKeyHole;
      }
      out_ += u": ";
      value(scope, depth + 1);
    }
    out_ += u"}";
  }

  // A read whose result is not kept: anything a value is, or a whole variable or member.
  void probe(const Scope& scope, int depth) {
    switch (c_.below(7)) {
      case 0: out_ += name(scope); break;
      case 1:
        out_ += name(scope);
        out_ += u'.';
        out_ += pick(c_, kProperties);
        break;
      case 2: out_ += name(scope) + u"[" + std::u16string(1, kKeyHole) + u"]"; break;
      case 3: out_ += u"JSON.stringify(" + name(scope) + u")"; break;
      case 4: out_ += name(scope) + u".length"; break;
      default: value(scope, depth); break;
    }
  }

  ChoiceStream& c_;
  std::u16string out_;
  int budget_ = 5;  // statements left for this text
  int labelCount_ = 0;
  int nestedCount_ = 0;
};

// ---- literals ------------------------------------------------------------------------------

void appendHex(std::u16string& out, unsigned value, int digits) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

void appendStringLiteral(std::u16string& out, ChoiceStream& c) {
  const char16_t quote = c.oneIn(3) ? u'"' : u'\'';
  const char16_t other = quote == u'"' ? u'\'' : u'"';
  size_t length = 0;
  if (c.oneIn(1000)) {
    length = static_cast<size_t>(c.between(1500, 2600));  // around the cache's longest text
  } else if (c.oneIn(100)) {
    length = static_cast<size_t>(c.between(41, 300));
  } else {
    length = c.below(10) < 7 ? c.below(7) : static_cast<size_t>(c.between(7, 40));
  }
  static constexpr std::u16string_view kAscii = u"abcxyzABC019 _-,.;:/|+*()[]{}<>=?!@#%&~";
  static constexpr std::u16string_view kChinese = u"序号名字段值中文表格行列宽度测试";
  static constexpr std::array<std::u16string_view, 9> kNumberLike{u"007", u"-12", u"1e5", u"3.0", u"-0",
                                                                  u"0x1F", u"1E-7", u"00", u"+5"};
  out += quote;
  // Long texts repeat one character class, so they are cheap to make.
  const uint32_t longClass = length > 40 ? c.below(3) : 99;
  for (size_t i = 0; i < length; ++i) {
    const uint32_t kind = longClass != 99 ? longClass : c.below(32);
    switch (kind) {
      case 0: out += kAscii[i % kAscii.size()]; break;
      case 1: out += kChinese[i % kChinese.size()]; break;
      case 2: out += (i % 7 == 6) ? u"\\\\" : u"a"; break;
      case 3:
      case 4:
      case 5:
      case 6:
      case 7:
      case 8:
      case 9:
      case 10: out += kAscii[c.below(static_cast<uint32_t>(kAscii.size()))]; break;
      case 11:
      case 12:
      case 13: out += kChinese[c.below(static_cast<uint32_t>(kChinese.size()))]; break;
      case 14: out += u'\\'; out += quote; break;
      case 15: out += other; break;
      case 16: out += u"\\\\"; break;
      case 17: {
        static constexpr std::array<std::u16string_view, 7> kEscapes{u"\\n", u"\\t", u"\\r", u"\\b",
                                                                      u"\\f", u"\\v", u"\\0"};
        out += pick(c, kEscapes);
        break;
      }
      case 18:
        out += u"\\x";
        appendHex(out, 0x20 + c.below(0x5F), 2);
        break;
      case 19: {
        static constexpr std::array<unsigned, 8> kUnits{0x4E2D, 0x540D, 0x2400, 0xD800, 0xDC00, 0xFFFD, 0x00E9, 0x0041};
        out += u"\\u";
        appendHex(out, kUnits[c.below(kUnits.size())], 4);
        break;
      }
      case 20: out += u"\U00020BB7"; break;             // one character, two units
      case 21: out += c.oneIn(2) ? u'\xD800' : u'\xDFFF'; break;  // a lone surrogate
      case 22: out += pick(c, kNumberLike); break;
      case 23: out += c.oneIn(2) ? u'\u00A0' : u'\uFEFF'; break;
      default: out += static_cast<char16_t>(u'0' + c.below(10)); break;
    }
  }
  if (c.oneIn(1000)) out += c.oneIn(2) ? u"\\\n" : u"\u2028";  // a continued line, or a line end in the literal
  out += quote;
}

// Nothing near 2**31 is among the forms: -2**31 is INT_MIN, which both copies of the
// interpreter negate when they turn it into text (js_itoa, undefined behaviour), and a form
// one away from it would reach it by one addition.
void appendNumberLiteral(std::u16string& out, ChoiceStream& c) {
  static constexpr std::array<std::u16string_view, 24> kForms{
      u"0",      u"1",         u"7",      u"42",     u"255",       u"3.14",      u".5",    u"5.",    u"0.1",
      u"1e3",    u"1E-7",      u"2.5e+10", u"1e308", u"1e400",     u"5e-324",    u"0x1F",  u"0XABCDEF",
      u"3000000000", u"4294967296", u"9007199254740993", u"123456789012345678901234567890",
      u"0.000001", u"1e21",    u"100"};
  if (c.oneIn(6)) out += u'-';
  if (c.oneIn(1000)) {
    out += c.oneIn(2) ? u"007" : u"08";  // leading zeros, which the interpreter refuses
    return;
  }
  if (c.oneIn(2)) {
    out += pick(c, kForms);
    return;
  }
  out += std::u16string(1, static_cast<char16_t>(u'1' + c.below(9)));
  const uint32_t digits = c.below(6);
  for (uint32_t i = 0; i < digits; ++i) out += static_cast<char16_t>(u'0' + c.below(10));
  if (c.oneIn(3)) {
    out += u'.';
    out += static_cast<char16_t>(u'0' + c.below(10));
  }
}

// A member name: short, so a stored index never makes an array huge.
void appendKey(std::u16string& out, ChoiceStream& c) {
  static constexpr std::array<std::u16string_view, 14> kKeys{
      u"'p'", u"'q'",  u"\"名\"", u"''",  u"'0'",       u"'1'",    u"0",
      u"1",   u"2",    u"'k\\x70'", u"'\\u540d'", u"'row'", u"'a b'", u"'序号'"};
  out += pick(c, kKeys);
}

}  // namespace

const std::u16string_view kShapesPrelude =
    u"function f0(a, b) { return a } function f1(a, b) { return [a, b] } function f2(a) { return typeof a } "
    u"function f3() { return 3 } var a = 1, b = 'b', c = null, w = '', x = 0.5, s = '序号', n = -1, o = {p: 1}, "
    u"arr = [1, '二'], 序号 = 0, 名字 = '名', $v = true, _t = {}";

std::u16string randomShape(ChoiceStream& choices) { return ShapeWriter(choices).text(); }

std::u16string fillShape(std::u16string_view shape, ChoiceStream& c) {
  std::u16string out;
  out.reserve(shape.size() + 32);
  for (char16_t unit : shape) {
    switch (unit) {
      case kStringHole: appendStringLiteral(out, c); break;
      case kNumberHole: appendNumberLiteral(out, c); break;
      case kCountHole: out += static_cast<char16_t>(u'0' + c.below(4)); break;
      case kKeyHole: appendKey(out, c); break;
      case kEvalHole: {
        // Code for eval, which compiles it apart from the cache; it names no variable, so
        // what it gives back is never a whole object that something would keep.
        static constexpr std::array<std::u16string_view, 10> kCode{
            u"'1 + 1'", u"'\\'序\\''", u"\"var e1 = 2; e1 * 3\"", u"'(function () { return 5 })()'",
            u"'x +* 1'", u"'throw 7'", u"\"[1, '二'].length\"", u"''", u"'try { 1 } finally { 2 }'",
            u"'for (var e2 = 0; e2 < 2; e2++) {} e2'"};
        out += pick(c, kCode);
        break;
      }
      case kDirectiveHole: {
        // Strict in three of eight (mujs takes the escaped one for strict too).
        static constexpr std::array<std::u16string_view, 8> kDirectives{
            u"'use strict'", u"\"use strict\"", u"'use\\x20strict'", u"'use asm'", u"'序'", u"'not strict'", u"''",
            u"'use  strict'"};
        out += pick(c, kDirectives);
        break;
      }
      case kRegexHole: {
        static constexpr std::array<std::u16string_view, 16> kPatterns{
            u"/a/g",         u"/\\d+/g",  u"/[a-z]+/gi", u"/^\\s+|\\s+$/g", u"/\\\\/g", u"/'/g",
            u"/(\\w)(\\d)?/", u"/[\\u4e00-\\u9fa5]/g", u"/x*/g", u"/./g", u"/名/g", u"/\\u2400/g",
            u"/a|b|c/",      u"/(?:ab)+/", u"/[^,]+/g", u"/\\//"};
        out += pick(c, kPatterns);
        break;
      }
      default: out += unit; break;
    }
  }
  return out;
}

size_t ShapePool::addShape(ChoiceStream& choices) {
  Entry entry{randomShape(choices), {}};
  if (entries_.size() < kShapes) {
    entries_.push_back(std::move(entry));
    return entries_.size() - 1;
  }
  const size_t replaced = choices.below(kShapes);
  entries_[replaced] = std::move(entry);
  return replaced;
}

size_t ShapePool::anyShape(ChoiceStream& choices) {
  const auto count = static_cast<uint32_t>(entries_.size());
  return choices.oneIn(2) ? choices.below(count < 8 ? count : 8) : choices.below(count);
}

std::u16string ShapePool::nextText(ChoiceStream& choices) {
  if (entries_.empty() || choices.oneIn(4)) return textOf(addShape(choices), choices, false);
  const size_t shape = anyShape(choices);  // the choices in a fixed order, whatever the compiler
  return textOf(shape, choices, choices.oneIn(6));
}

std::vector<size_t> ShapePool::pickShapes(ChoiceStream& choices, size_t count) {
  std::vector<size_t> picked;
  for (size_t i = 0; i < count; ++i) {
    picked.push_back(entries_.empty() || choices.oneIn(3) ? addShape(choices) : anyShape(choices));
  }
  return picked;
}

std::u16string ShapePool::textOf(size_t index, ChoiceStream& choices, bool sameLiterals) {
  Entry& entry = entries_[index];
  if (!sameLiterals || entry.lastText.empty()) entry.lastText = fillShape(entry.shape, choices);
  return entry.lastText;
}
