#pragma once

// The library is built with hidden symbols: what a host program may call carries this mark.
#define VENDRIK_EXPORT __attribute__((visibility("default")))
