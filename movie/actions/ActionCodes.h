// The action codes of the bytecode, shared by the interpreter and the
// bytecode writer of the tests. Codes from 0x80 carry a 16-bit length and a
// payload.
#pragma once

#include <cstdint>

namespace Halvane::Movie::ActionCode {

constexpr std::uint8_t End = 0x00;
constexpr std::uint8_t NextFrame = 0x04;
constexpr std::uint8_t PreviousFrame = 0x05;
constexpr std::uint8_t Play = 0x06;
constexpr std::uint8_t Stop = 0x07;
constexpr std::uint8_t ToggleQuality = 0x08;
constexpr std::uint8_t StopSounds = 0x09;
constexpr std::uint8_t Add = 0x0A;
constexpr std::uint8_t Subtract = 0x0B;
constexpr std::uint8_t Multiply = 0x0C;
constexpr std::uint8_t Divide = 0x0D;
constexpr std::uint8_t Equals = 0x0E;
constexpr std::uint8_t Less = 0x0F;
constexpr std::uint8_t And = 0x10;
constexpr std::uint8_t Or = 0x11;
constexpr std::uint8_t Not = 0x12;
constexpr std::uint8_t StringEquals = 0x13;
constexpr std::uint8_t StringLength = 0x14;
constexpr std::uint8_t StringExtract = 0x15;
constexpr std::uint8_t Pop = 0x17;
constexpr std::uint8_t ToInteger = 0x18;
constexpr std::uint8_t GetVariable = 0x1C;
constexpr std::uint8_t SetVariable = 0x1D;
constexpr std::uint8_t SetTarget2 = 0x20;
constexpr std::uint8_t StringAdd = 0x21;
constexpr std::uint8_t GetProperty = 0x22;
constexpr std::uint8_t SetProperty = 0x23;
constexpr std::uint8_t CloneSprite = 0x24;
constexpr std::uint8_t RemoveSprite = 0x25;
constexpr std::uint8_t Trace = 0x26;
constexpr std::uint8_t StartDrag = 0x27;
constexpr std::uint8_t EndDrag = 0x28;
constexpr std::uint8_t StringLess = 0x29;
constexpr std::uint8_t Throw = 0x2A;
constexpr std::uint8_t CastOp = 0x2B;
constexpr std::uint8_t ImplementsOp = 0x2C;
constexpr std::uint8_t RandomNumber = 0x30;
constexpr std::uint8_t MBStringLength = 0x31;
constexpr std::uint8_t CharToAscii = 0x32;
constexpr std::uint8_t AsciiToChar = 0x33;
constexpr std::uint8_t GetTime = 0x34;
constexpr std::uint8_t MBStringExtract = 0x35;
constexpr std::uint8_t MBCharToAscii = 0x36;
constexpr std::uint8_t MBAsciiToChar = 0x37;
constexpr std::uint8_t Delete = 0x3A;
constexpr std::uint8_t Delete2 = 0x3B;
constexpr std::uint8_t DefineLocal = 0x3C;
constexpr std::uint8_t CallFunction = 0x3D;
constexpr std::uint8_t Return = 0x3E;
constexpr std::uint8_t Modulo = 0x3F;
constexpr std::uint8_t NewObject = 0x40;
constexpr std::uint8_t DefineLocal2 = 0x41;
constexpr std::uint8_t InitArray = 0x42;
constexpr std::uint8_t InitObject = 0x43;
constexpr std::uint8_t TypeOf = 0x44;
constexpr std::uint8_t TargetPath = 0x45;
constexpr std::uint8_t Enumerate = 0x46;
constexpr std::uint8_t Add2 = 0x47;
constexpr std::uint8_t Less2 = 0x48;
constexpr std::uint8_t Equals2 = 0x49;
constexpr std::uint8_t ToNumber = 0x4A;
constexpr std::uint8_t ToString = 0x4B;
constexpr std::uint8_t PushDuplicate = 0x4C;
constexpr std::uint8_t StackSwap = 0x4D;
constexpr std::uint8_t GetMember = 0x4E;
constexpr std::uint8_t SetMember = 0x4F;
constexpr std::uint8_t Increment = 0x50;
constexpr std::uint8_t Decrement = 0x51;
constexpr std::uint8_t CallMethod = 0x52;
constexpr std::uint8_t NewMethod = 0x53;
constexpr std::uint8_t InstanceOf = 0x54;
constexpr std::uint8_t Enumerate2 = 0x55;
constexpr std::uint8_t BitAnd = 0x60;
constexpr std::uint8_t BitOr = 0x61;
constexpr std::uint8_t BitXor = 0x62;
constexpr std::uint8_t BitLShift = 0x63;
constexpr std::uint8_t BitRShift = 0x64;
constexpr std::uint8_t BitURShift = 0x65;
constexpr std::uint8_t StrictEquals = 0x66;
constexpr std::uint8_t Greater = 0x67;
constexpr std::uint8_t StringGreater = 0x68;
constexpr std::uint8_t Extends = 0x69;

constexpr std::uint8_t GotoFrame = 0x81;
constexpr std::uint8_t GetUrl = 0x83;
constexpr std::uint8_t StoreRegister = 0x87;
constexpr std::uint8_t ConstantPool = 0x88;
constexpr std::uint8_t WaitForFrame = 0x8A;
constexpr std::uint8_t SetTarget = 0x8B;
constexpr std::uint8_t GotoLabel = 0x8C;
constexpr std::uint8_t WaitForFrame2 = 0x8D;
constexpr std::uint8_t DefineFunction2 = 0x8E;
constexpr std::uint8_t Try = 0x8F;
constexpr std::uint8_t With = 0x94;
constexpr std::uint8_t Push = 0x96;
constexpr std::uint8_t Jump = 0x99;
constexpr std::uint8_t GetUrl2 = 0x9A;
constexpr std::uint8_t DefineFunction = 0x9B;
constexpr std::uint8_t If = 0x9D;
constexpr std::uint8_t Call = 0x9E;
constexpr std::uint8_t GotoFrame2 = 0x9F;

// The value types of a Push payload.
namespace PushType {
constexpr std::uint8_t String = 0;
constexpr std::uint8_t Float = 1;
constexpr std::uint8_t Null = 2;
constexpr std::uint8_t Undefined = 3;
constexpr std::uint8_t Register = 4;
constexpr std::uint8_t Boolean = 5;
constexpr std::uint8_t Double = 6;
constexpr std::uint8_t Integer = 7;
constexpr std::uint8_t Constant8 = 8;
constexpr std::uint8_t Constant16 = 9;
}  // namespace PushType

// DefineFunction2 flags.
namespace FunctionFlag {
constexpr std::uint16_t PreloadThis = 0x0001;
constexpr std::uint16_t SuppressThis = 0x0002;
constexpr std::uint16_t PreloadArguments = 0x0004;
constexpr std::uint16_t SuppressArguments = 0x0008;
constexpr std::uint16_t PreloadSuper = 0x0010;
constexpr std::uint16_t SuppressSuper = 0x0020;
constexpr std::uint16_t PreloadRoot = 0x0040;
constexpr std::uint16_t PreloadParent = 0x0080;
constexpr std::uint16_t PreloadGlobal = 0x0100;
}  // namespace FunctionFlag

}  // namespace Halvane::Movie::ActionCode
