// The formula lexer: a state machine over the characters of formula text.
#include <cstdint>
#include <string>
#include <string_view>

#include "lxConstants.h"
#include "lxFormula.h"

namespace lx {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
// Characters that continue a reference once "$", ":" or "!" has been seen.
bool IsReferenceChar(char c) { return IsWordChar(c) || c == '!' || c == '$' || c == ':'; }

enum class TState { Start, Identifier, Number, String, Reference, SheetReference, QuotedName };

}  // namespace

int32_t TXLSTokens::Kind(int32_t ahead) const {
  const size_t at = cursor_ + static_cast<size_t>(ahead);
  return ahead >= 0 && at < items_.size() ? items_[at].kind : -1;
}

const std::string& TXLSTokens::Text() const {
  static const std::string kEmpty;
  return cursor_ < items_.size() ? items_[cursor_].text : kEmpty;
}

void TXLSLexer::SetText(std::string_view text) {
  text_.assign(text);
  position_ = 1;
  length_ = static_cast<int32_t>(text_.size());
  tokens_.Clear();
}

int32_t TXLSLexer::Tokenize() {
  TState state = TState::Start;
  std::string collected;
  auto emit = [&](int32_t kind) {
    tokens_.Add(kind, std::move(collected));
    collected.clear();
    state = TState::Start;
  };
  // Every branch either advances or changes state towards Start, which
  // always advances, so the loop ends.
  while (position_ <= length_) {
    const char c = text_[static_cast<size_t>(position_ - 1)];
    const char next = position_ < length_ ? text_[static_cast<size_t>(position_)] : '\0';
    switch (state) {
      case TState::Start:
        if (IsLetter(c)) {
          collected.push_back(c);
          state = TState::Identifier;
        } else if (IsDigit(c) || c == decimalSeparator_) {
          collected.push_back(c);
          state = TState::Number;
        } else if (c == ' ') {
        } else if (c == '"') {
          state = TState::String;
        } else if (c == '\'') {
          state = TState::QuotedName;
        } else if (c == '$') {
          collected.push_back(c);
          state = TState::Reference;
        } else if (c == '>' || c == '<') {
          int32_t kind = c == '>' ? kTokenGreater : kTokenLess;
          std::string lexeme(1, c);
          if (next == '=') {
            kind = c == '>' ? kTokenGreaterEqual : kTokenLessEqual;
          } else if (c == '<' && next == '>') {
            kind = kTokenNotEqual;
          }
          if (kind != kTokenGreater && kind != kTokenLess) {
            lexeme.push_back(next);
            ++position_;
          }
          tokens_.Add(kind, std::move(lexeme));
        } else {
          int32_t kind;
          switch (c) {
            case ';':
              kind = kTokenSeparator;
              break;
            case '(':
              kind = kTokenOpen;
              break;
            case ')':
              kind = kTokenClose;
              break;
            case '+':
              kind = kTokenPlus;
              break;
            case '-':
              kind = kTokenMinus;
              break;
            case '*':
              kind = kTokenMultiply;
              break;
            case '/':
              kind = kTokenDivide;
              break;
            case '^':
              kind = kTokenPower;
              break;
            case '=':
              kind = kTokenEqual;
              break;
            case '&':
              kind = kTokenConcat;
              break;
            case '%':
              kind = kTokenPercent;
              break;
            default:
              return kResultFail;
          }
          tokens_.Add(kind, std::string(1, c));
        }
        ++position_;
        break;
      case TState::Identifier:
        // "." continues a name so that ERROR.TYPE and REGISTER.ID can be
        // typed; an identifier followed by a number never parsed anyway.
        if (IsWordChar(c) || c == '.') {
          collected.push_back(c);
        } else if (c == '!') {
          collected.push_back(c);
          state = TState::SheetReference;
        } else if (c == '$' || c == ':') {
          collected.push_back(c);
          state = TState::Reference;
        } else if (c == '\'') {
          state = TState::QuotedName;
        } else {
          emit(kTokenIdentifier);
          continue;
        }
        ++position_;
        break;
      case TState::Number:
        if (IsDigit(c) || c == decimalSeparator_) {
          collected.push_back(c);
        } else if (c == ':') {
          collected.push_back(c);
          state = TState::Reference;
        } else {
          emit(kTokenNumber);
          continue;
        }
        ++position_;
        break;
      case TState::String:
        if (c == '"') {
          if (next == '"') {
            collected.push_back('"');
            ++position_;
          } else {
            emit(kTokenString);
          }
        } else {
          collected.push_back(c);
        }
        ++position_;
        break;
      case TState::Reference:
      case TState::SheetReference:
        if (IsReferenceChar(c)) {
          collected.push_back(c);
        } else if (c == '\'') {
          state = TState::QuotedName;
        } else {
          emit(state == TState::Reference ? kTokenReference : kTokenSheetReference);
          continue;
        }
        ++position_;
        break;
      case TState::QuotedName:
        if (c == '\'') {
          if (next == '\'') {
            collected.push_back('\'');
            ++position_;
          } else {
            state = TState::SheetReference;
          }
        } else {
          collected.push_back(c);
        }
        ++position_;
        break;
    }
  }
  switch (state) {
    case TState::Start:
      break;
    case TState::Identifier:
      emit(kTokenIdentifier);
      break;
    case TState::Number:
      emit(kTokenNumber);
      break;
    case TState::Reference:
      emit(kTokenReference);
      break;
    case TState::SheetReference:
      emit(kTokenSheetReference);
      break;
    case TState::String:
    case TState::QuotedName:
      return kResultFail;
  }
  return kResultOk;
}

}  // namespace lx
