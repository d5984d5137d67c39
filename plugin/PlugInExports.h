// The five functions the host engine calls, exported under their plain
// names with the caller-cleans convention. Each reaches the one VMSwf of the
// process, constructing it on the first call; Draw, Timer and Message set
// the plug-in up first (Initialize(0)), so the host need not call Initialize.
#pragma once

#include <cstdint>

extern "C" {

void Initialize(std::int32_t value);
void Finalize();
void Draw(void* pixels, std::int32_t second);
std::int32_t Timer();
std::int32_t Message(const char* text, std::int32_t* intResult, char* textResult);

}
