// Symbol visibility of the stand-in host library. The plug-in is compiled
// with hidden visibility, so every host class it uses must say that it
// comes from outside.
#pragma once

#define ZYHOST_API __attribute__((visibility("default")))
