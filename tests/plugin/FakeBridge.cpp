// A stand-in for the host's script bridge library: exports the twenty
// bridge names, none of which the plug-in calls.
#define BRIDGE(name) extern "C" int name() { return 0; }
BRIDGE(VL_dostring) BRIDGE(VL_register) BRIDGE(VL_error) BRIDGE(VL_settop)
BRIDGE(VL_gettop) BRIDGE(VL_isnumber) BRIDGE(VL_istable) BRIDGE(VL_isstring)
BRIDGE(VL_isboolean) BRIDGE(VL_isnil) BRIDGE(VL_tonumber) BRIDGE(VL_tointeger)
BRIDGE(VL_tostring) BRIDGE(VL_toboolean) BRIDGE(VL_pushnumber) BRIDGE(VL_pushinteger)
BRIDGE(VL_pushstring) BRIDGE(VL_pushboolean) BRIDGE(VL_gettable) BRIDGE(VL_pop)
