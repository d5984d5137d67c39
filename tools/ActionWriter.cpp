#include "tools/ActionWriter.h"

#include <cstring>
#include <stdexcept>

namespace Halvane::Tools {

namespace Code = Halvane::Movie::ActionCode;

ActionWriter& ActionWriter::Op(std::uint8_t code) {
  code_.push_back(code);
  return *this;
}

ActionWriter& ActionWriter::Op(std::uint8_t code, const Bytes& payload) {
  if (payload.size() > 0xFFFF) throw std::logic_error("action payload too long");
  code_.push_back(code);
  code_.push_back(static_cast<std::uint8_t>(payload.size() & 0xFF));
  code_.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
  code_.insert(code_.end(), payload.begin(), payload.end());
  return *this;
}

ActionWriter& ActionWriter::PushOne(std::uint8_t type, const Bytes& data) {
  Bytes payload;
  payload.push_back(type);
  payload.insert(payload.end(), data.begin(), data.end());
  return Op(Code::Push, payload);
}

ActionWriter& ActionWriter::PushString(const std::string& text) {
  return PushOne(Code::PushType::String, ByteWriter().String(text).Take());
}

ActionWriter& ActionWriter::PushFloat(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return PushOne(Code::PushType::Float, ByteWriter().U32(bits).Take());
}

ActionWriter& ActionWriter::PushNull() { return PushOne(Code::PushType::Null, {}); }
ActionWriter& ActionWriter::PushUndefined() { return PushOne(Code::PushType::Undefined, {}); }

ActionWriter& ActionWriter::PushRegister(std::uint8_t index) {
  return PushOne(Code::PushType::Register, {index});
}

ActionWriter& ActionWriter::PushBoolean(bool value) {
  return PushOne(Code::PushType::Boolean, {static_cast<std::uint8_t>(value ? 1 : 0)});
}

ActionWriter& ActionWriter::PushDouble(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  // High word first, each word little-endian.
  return PushOne(Code::PushType::Double, ByteWriter()
                                             .U32(static_cast<std::uint32_t>(bits >> 32))
                                             .U32(static_cast<std::uint32_t>(bits))
                                             .Take());
}

ActionWriter& ActionWriter::PushInteger(std::int32_t value) {
  return PushOne(Code::PushType::Integer, ByteWriter().U32(static_cast<std::uint32_t>(value)).Take());
}

ActionWriter& ActionWriter::PushConstant(std::uint16_t index) {
  if (index < 256) return PushOne(Code::PushType::Constant8, {static_cast<std::uint8_t>(index)});
  return PushConstant16(index);
}

ActionWriter& ActionWriter::PushConstant16(std::uint16_t index) {
  return PushOne(Code::PushType::Constant16, ByteWriter().U16(index).Take());
}

ActionWriter& ActionWriter::ConstantPool(const std::vector<std::string>& strings) {
  ByteWriter w;
  w.U16(static_cast<std::uint16_t>(strings.size()));
  for (const auto& s : strings) w.String(s);
  return Op(Code::ConstantPool, w.Take());
}

ActionWriter& ActionWriter::GotoFrame(std::uint16_t frame) {
  return Op(Code::GotoFrame, ByteWriter().U16(frame).Take());
}

ActionWriter& ActionWriter::GotoLabel(const std::string& label) {
  return Op(Code::GotoLabel, ByteWriter().String(label).Take());
}

ActionWriter& ActionWriter::GotoFrame2(bool play, int sceneBias) {
  ByteWriter w;
  w.U8(static_cast<std::uint8_t>((play ? 1 : 0) | (sceneBias >= 0 ? 2 : 0)));
  if (sceneBias >= 0) w.U16(static_cast<std::uint16_t>(sceneBias));
  return Op(Code::GotoFrame2, w.Take());
}

ActionWriter& ActionWriter::SetTarget(const std::string& path) {
  return Op(Code::SetTarget, ByteWriter().String(path).Take());
}

ActionWriter& ActionWriter::StoreRegister(std::uint8_t index) {
  return Op(Code::StoreRegister, {index});
}

ActionWriter& ActionWriter::WaitForFrame(std::uint16_t frame, std::uint8_t skip) {
  return Op(Code::WaitForFrame, ByteWriter().U16(frame).U8(skip).Take());
}

ActionWriter& ActionWriter::GetUrl(const std::string& url, const std::string& target) {
  return Op(Code::GetUrl, ByteWriter().String(url).String(target).Take());
}

ActionWriter& ActionWriter::Label(const std::string& name) {
  if (!labels_.emplace(name, code_.size()).second) throw std::logic_error("label defined twice: " + name);
  return *this;
}

ActionWriter& ActionWriter::Jump(const std::string& label) {
  Op(Code::Jump, {0, 0});
  fixups_.push_back(Fixup{code_.size() - 2, code_.size(), label});
  return *this;
}

ActionWriter& ActionWriter::If(const std::string& label) {
  Op(Code::If, {0, 0});
  fixups_.push_back(Fixup{code_.size() - 2, code_.size(), label});
  return *this;
}

ActionWriter& ActionWriter::DefineFunction(const std::string& name,
                                           const std::vector<std::string>& parameters,
                                           const ActionWriter& body) {
  const Bytes code = body.Build();
  ByteWriter w;
  w.String(name).U16(static_cast<std::uint16_t>(parameters.size()));
  for (const auto& p : parameters) w.String(p);
  w.U16(static_cast<std::uint16_t>(code.size()));
  Op(Code::DefineFunction, w.Take());
  code_.insert(code_.end(), code.begin(), code.end());
  return *this;
}

ActionWriter& ActionWriter::DefineFunction2(const std::string& name, std::uint8_t registerCount,
                                            std::uint16_t flags,
                                            const std::vector<Parameter>& parameters,
                                            const ActionWriter& body) {
  const Bytes code = body.Build();
  ByteWriter w;
  w.String(name).U16(static_cast<std::uint16_t>(parameters.size())).U8(registerCount).U16(flags);
  for (const auto& p : parameters) w.U8(p.reg).String(p.name);
  w.U16(static_cast<std::uint16_t>(code.size()));
  Op(Code::DefineFunction2, w.Take());
  code_.insert(code_.end(), code.begin(), code.end());
  return *this;
}

ActionWriter& ActionWriter::End() { return Op(Code::End); }

Bytes ActionWriter::Build() const {
  Bytes code = code_;
  for (const auto& fixup : fixups_) {
    const auto it = labels_.find(fixup.label);
    if (it == labels_.end()) throw std::logic_error("undefined label: " + fixup.label);
    const long long offset = static_cast<long long>(it->second) - static_cast<long long>(fixup.actionEnd);
    if (offset < -32768 || offset > 32767) throw std::logic_error("jump too far: " + fixup.label);
    const std::uint16_t bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(offset));
    code[fixup.offsetPosition] = static_cast<std::uint8_t>(bits & 0xFF);
    code[fixup.offsetPosition + 1] = static_cast<std::uint8_t>(bits >> 8);
  }
  return code;
}

}  // namespace Halvane::Tools
