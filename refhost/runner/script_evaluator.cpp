// The runner's expressions at run time: a line's arguments, and the postfix
// code of an expression worked out on a stack of values, every operation
// wrapping in 32 bits as the plug-in's arithmetic does.
#include <cstdint>

#include "refhost/runner/export_call.h"
#include "refhost/runner/script_runner.h"

namespace refhost {

bool ScriptRunner::ValueOf(const Arg& arg, Value* value) {
  switch (arg.kind) {
    case Arg::Kind::kConst:
      *value = Value{arg.value, arg.pixel};
      return true;
    case Arg::Kind::kVar: {
      const Variables::Cell& cell = cells_[arg.value];
      if (!cell.set) return Unset(arg.value);
      *value = Value{cell.number, cell.pixel};
      return true;
    }
    default:
      return Evaluate(arg.value, value);
  }
}

bool ScriptRunner::Evaluate(std::int32_t start, Value* value) {
  const Operation* code = program_.code.data();
  Value* top = stack_.data() - 1;  // the value on top of the stack
  for (std::size_t pc = static_cast<std::size_t>(start);; ++pc) {
    const Operation& o = code[pc];
    if (o.op >= Op::kAdd && o.op <= Op::kGe) {
      const Value right = *top--;
      const std::int32_t a = top->number, b = right.number;
      const std::uint32_t ua = Bits(a), ub = Bits(b);
      top->pixel = o.op < Op::kEq && (top->pixel || right.pixel);
      switch (o.op) {
        case Op::kAdd:
          top->number = FromBits(ua + ub);
          break;
        case Op::kSub:
          top->number = FromBits(ua - ub);
          break;
        case Op::kMul:
          top->number = FromBits(ua * ub);
          break;
        case Op::kDiv:
        case Op::kMod:
          if (b == 0)
            return Fail(o.op == Op::kDiv ? "division by zero"
                                         : "mod 0: the remainder of a division by zero",
                        o.operand);
          if (a == INT32_MIN && b == -1) {
            if (o.op == Op::kDiv)
              return Fail("-2147483648 / -1 is 2147483648, which 32 bits do not hold", o.operand);
            top->number = 0;
          } else {
            top->number = o.op == Op::kDiv ? a / b : a % b;
          }
          break;
        case Op::kShl:
        case Op::kShr:
          if (b < 0 || b > 31) {
            return Fail("a shift by " + std::to_string(b) + ": shifts count 0 to 31", o.operand);
          }
          top->number = FromBits(o.op == Op::kShl ? ua << b : ua >> b);
          break;
        case Op::kAnd:
          top->number = FromBits(ua & ub);
          break;
        case Op::kOr:
          top->number = FromBits(ua | ub);
          break;
        case Op::kXor:
          top->number = FromBits(ua ^ ub);
          break;
        case Op::kEq:
          top->number = a == b;
          break;
        case Op::kNe:
          top->number = a != b;
          break;
        case Op::kLt:
          top->number = a < b;
          break;
        case Op::kGt:
          top->number = a > b;
          break;
        case Op::kLe:
          top->number = a <= b;
          break;
        default:
          top->number = a >= b;
          break;
      }
      continue;
    }
    switch (o.op) {
      case Op::kEnd:
        *value = *top;
        return true;
      case Op::kConst:
        *++top = Value{o.operand, o.pixel};
        break;
      case Op::kVar: {
        const Variables::Cell& cell = cells_[o.operand];
        if (!cell.set) return Unset(o.operand);
        *++top = Value{cell.number, cell.pixel};
        break;
      }
      case Op::kCall: {
        const CallSite& site = program_.calls[o.operand];
        const std::size_t argc = site.command->row.ParamCount();
        std::int32_t numbers[kMaxCommandArgs];
        top -= argc;
        for (std::size_t i = 0; i < argc; ++i) numbers[i] = top[1 + i].number;
        *++top =
            Value{noting_ && site.notes != nullptr
                      ? CallNoted(*site.notes, site.quiet, site.command->address, numbers, argc)
                      : CallExport(site.command->address, numbers, argc),
                  site.meaning == Meaning::kPixel};
        break;
      }
      case Op::kNeg:
        top->number = FromBits(0u - Bits(top->number));
        break;
      case Op::kComplement:
        top->number = FromBits(~Bits(top->number));
        break;
      case Op::kLogicalNot:
        *top = Value{top->number == 0, false};
        break;
      case Op::kToBool:
        *top = Value{top->number != 0, false};
        break;
      case Op::kAndThen:
      case Op::kOrElse:
        // The left side decides: "&&" stops at a 0, "||" at anything else.
        if ((top->number == 0) == (o.op == Op::kAndThen)) {
          *top = Value{top->number != 0, false};
          pc = static_cast<std::size_t>(o.operand) - 1;
        } else {
          --top;
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace refhost
