// Symbol visibility of the shared framework library.
#pragma once

#define ZENTOR_API __attribute__((visibility("default")))
