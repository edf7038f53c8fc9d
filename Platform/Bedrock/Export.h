// Symbol visibility of the shared framework library.
#pragma once

#define ZENTOR_API __attribute__((visibility("default")))

// Kept out of the library's dynamic symbol table.
#define ZENTOR_LOCAL __attribute__((visibility("hidden")))
