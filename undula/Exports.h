// The exports of the undula library as the host calls them (plain names,
// caller-cleans convention). Initialize asks the host for its screen size;
// Draw shifts the rows of the host's screen image while the effect is
// active; Timer answers 1 while the host should redraw; Message takes a
// "draw/amplitude,step,speed" or "stop" text and always answers 1. The
// arguments marked unused are never read; they keep the shape that the host
// uses for every layer plug-in.
#pragma once

#include <cstdint>

extern "C" {
void Initialize(std::int32_t unused);
void Draw(void* pixels, std::int32_t unused);
std::int32_t Timer();
std::int32_t Message(const char* text, std::int32_t* intResult, char* textResult);
}
