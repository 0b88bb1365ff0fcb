// The interpreter's speed on a plain counting loop, in script steps per
// second, against the same loop in Lua 5.4 in the same run: once with a local
// variable, once with the counter in a table, as the script's locals are.
#include <benchmark/benchmark.h>
#include <unistd.h>

#ifdef RW_BENCH_LUA
#include <lua5.4/lua.hpp>
#endif

#include <filesystem>
#include <fstream>
#include <string>

#include "base/FileSystem.h"
#include "script/Script.h"

namespace {

class TQuietHost : public IScriptHost {
public:
    void Log(const std::string&) override {}
    uint32_t Now() override { return 0; }
    int32_t Random(int32_t) override { return 0; }
    bool RunWorldCommand(TScript&, TWorldCommand) override { return false; }
};

// Local 0 counts from 0 to `passes`; each pass is 12 steps.
std::string CountingLoop(int passes) {
    const char* tokens[] = {"0",       "0", "SETLVAR", "0",     "0", "GETLVAR", "1",     "ADD",
                            "SETLVAR", "0", "GETLVAR", nullptr, "L", "LOOP",    "IFGOTO"};
    std::string text = "[Run]\r\n";
    for (int i = 0; i < 15; ++i) {
        std::string key = i == 3 ? "LOOP" : std::to_string(i + 1);
        text += key + "=" + (tokens[i] ? tokens[i] : std::to_string(passes)) + "\r\n";
    }
    return text;
}

void ScriptCountingLoop(benchmark::State& state) {
    const int passes = int(state.range(0));
    const auto root = std::filesystem::temp_directory_path() / ("rw-bench-script-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "data" / "scripts");
    std::ofstream(root / "data" / "scripts" / "loop.sc", std::ios::binary) << CountingLoop(passes);

    TQuietHost host;
    TFileSystem files(root);
    TScriptSystem scripts(files, host);
    scripts.StepLimit = 1L << 40;
    TScriptPtr script = scripts.Register("data\\scripts\\loop.sc", 0, OwnerCritter);
    for (auto _ : state) {
        script->Execute("Run");
        if (script->Locals[0] != passes) state.SkipWithError("the loop did not count to the end");
    }
    const double stepsPerRun = 3.0 + 12.0 * passes;
    state.counters["steps/s"] =
        benchmark::Counter(stepsPerRun * double(state.iterations()), benchmark::Counter::kIsRate);

    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}
BENCHMARK(ScriptCountingLoop)->Arg(10000)->Unit(benchmark::kMicrosecond);

#ifdef RW_BENCH_LUA
// The chunk counts from 0 to its argument and returns the count.
void LuaLoop(benchmark::State& state, const char* chunk) {
    const lua_Integer passes = state.range(0);
    lua_State* lua = luaL_newstate();
    if (luaL_loadstring(lua, chunk) != LUA_OK) {
        state.SkipWithError(lua_tostring(lua, -1));
        lua_close(lua);
        return;
    }
    for (auto _ : state) {
        lua_pushvalue(lua, -1);
        lua_pushinteger(lua, passes);
        lua_call(lua, 1, 1);
        if (lua_tointeger(lua, -1) != passes) state.SkipWithError("the loop did not count to the end");
        lua_pop(lua, 1);
    }
    lua_close(lua);
}
void LuaCountingLoopLocal(benchmark::State& state) {
    LuaLoop(state, "local n = ... local i = 0 while i < n do i = i + 1 end return i");
}
void LuaCountingLoopTable(benchmark::State& state) {
    LuaLoop(state, "local n = ... local v = {[0] = 0} while v[0] < n do v[0] = v[0] + 1 end return v[0]");
}
BENCHMARK(LuaCountingLoopLocal)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(LuaCountingLoopTable)->Arg(10000)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace
