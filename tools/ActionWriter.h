// An assembler of action bytecode for tests, fuzz seeds and example movies:
// each call appends one action; jumps and branches name labels that Build
// resolves. The result goes into a DoAction tag (code 12) as it is.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "movie/actions/ActionCodes.h"
#include "tools/SwfWriter.h"

namespace Halvane::Tools {

class ActionWriter {
 public:
  // An action without payload (codes below 0x80), or any code with the
  // payload given as it is (its length field is written here).
  ActionWriter& Op(std::uint8_t code);
  ActionWriter& Op(std::uint8_t code, const Bytes& payload);

  // One Push action per call, one value each.
  ActionWriter& PushString(const std::string& text);
  ActionWriter& PushFloat(float value);
  ActionWriter& PushNull();
  ActionWriter& PushUndefined();
  ActionWriter& PushRegister(std::uint8_t index);
  ActionWriter& PushBoolean(bool value);
  ActionWriter& PushDouble(double value);
  ActionWriter& PushInteger(std::int32_t value);
  ActionWriter& PushConstant(std::uint16_t index);  // 8-bit form below 256
  ActionWriter& PushConstant16(std::uint16_t index);

  ActionWriter& ConstantPool(const std::vector<std::string>& strings);
  ActionWriter& GotoFrame(std::uint16_t frame);
  ActionWriter& GotoLabel(const std::string& label);
  ActionWriter& GotoFrame2(bool play, int sceneBias = -1);  // bias < 0: none
  ActionWriter& SetTarget(const std::string& path);
  ActionWriter& StoreRegister(std::uint8_t index);
  ActionWriter& WaitForFrame(std::uint16_t frame, std::uint8_t skip);
  ActionWriter& GetUrl(const std::string& url, const std::string& target);

  // Labels and the actions that jump to them.
  ActionWriter& Label(const std::string& name);
  ActionWriter& Jump(const std::string& label);
  ActionWriter& If(const std::string& label);

  // Function definitions with their body (a whole writer, built here).
  ActionWriter& DefineFunction(const std::string& name, const std::vector<std::string>& parameters,
                               const ActionWriter& body);
  struct Parameter {
    std::uint8_t reg;
    std::string name;
  };
  ActionWriter& DefineFunction2(const std::string& name, std::uint8_t registerCount,
                                std::uint16_t flags, const std::vector<Parameter>& parameters,
                                const ActionWriter& body);

  ActionWriter& End();

  // The bytecode with every label resolved. Throws std::logic_error for a
  // label never defined or a jump out of the 16-bit range.
  Bytes Build() const;

 private:
  ActionWriter& PushOne(std::uint8_t type, const Bytes& data);

  struct Fixup {
    std::size_t offsetPosition;  // where the 16-bit offset goes
    std::size_t actionEnd;       // jumps count from the end of their action
    std::string label;
  };
  Bytes code_;
  std::map<std::string, std::size_t> labels_;
  std::vector<Fixup> fixups_;
};

}  // namespace Halvane::Tools
