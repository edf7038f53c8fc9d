// Symbol visibility of the engine library: what the program and the tests import.
#pragma once

#define GLIMRA_CORE_API __attribute__((visibility("default")))
