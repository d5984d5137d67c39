// External calls: the host's CallFunction request, the functions a movie
// registers for it, and the encoded answer.
//
// The request text is
//   <invoke name="f" returntype="xml"><arguments>...</arguments></invoke>
// with arguments <string>text</string>, <number>1.5</number>, <true/>,
// <false/>, <null/>, <undefined/>. Nested <array> and <object> arguments
// are refused (the request fails). The entities &lt; &gt; &amp; &quot;
// &apos; and numeric &#NN; / &#xHH; are decoded in names and strings.
//
// A movie registers a function with
//   ExternalInterface.addCallback("name", instance, function)
// (flash.external.ExternalInterface reached by GetVariable/GetMember, then
// CallMethod "addCallback"). Only such registered functions can be called.
//
// Called on the control's worker thread only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/ActionValue.h"

namespace Halvane::Movie {

struct InvokeRequest {
  std::string name;
  std::vector<ActionValue> arguments;
};

// False, with request unchanged, for text that is not a well-formed
// invoke request of the shape above.
bool ParseInvokeRequest(const std::string& text, InvokeRequest& request);

// The answer text of a return value: <string>..</string> (escaped),
// <number>..</number>, <true/>, <false/>, <null/>, <undefined/>; a
// timeline reference answers its path as a string, functions and objects
// answer <undefined/>.
std::string EncodeInvokeResult(const ActionValue& value, int swfVersion);

// The functions registered by the movie, by name (case-sensitive, as the
// host spells it). A later registration of a name replaces the earlier one.
class ExternalCallbacks {
 public:
  static constexpr std::size_t MaxCallbacks = 1024;

  struct Callback {
    std::string name;
    ActionValue function;
    ActionValue thisValue;
  };

  // False when the table is full and name is new.
  bool Register(const std::string& name, ActionValue function, ActionValue thisValue);
  const Callback* Find(const std::string& name) const;
  std::size_t Count() const { return callbacks_.size(); }
  // In the order of first registration.
  const std::vector<Callback>& All() const { return callbacks_; }
  void Clear() { callbacks_.clear(); }

 private:
  std::vector<Callback> callbacks_;
};

// The control's CallFunction: parses request, calls the registered function
// with the decoded arguments on the timeline tree of root, and encodes its
// return value into response. False, with response unchanged, for a
// malformed request or a name the movie has not registered (or when
// context.callbacks is null). The call runs on an instruction budget of its
// own and leaves the frame's budget as it was.
bool InvokeExternal(const std::string& request, ActionTarget& root, ActionContext& context,
                    std::string& response);

}  // namespace Halvane::Movie
