#pragma once
// The identifiers of the coil calculation server: configuration that we supply,
// fixed here and nowhere else.
#include "Com.h"

// The coil calculation server class.
inline constexpr CLSID CLASS_KeltCoil{0xB84265AF, 0x2311, 0x4FC6, {0xB9, 0x95, 0xDE, 0x2C, 0xD9, 0x9E, 0x48, 0x88}};
// Its one interface, IKeltCoil.
inline constexpr IID IID_IKeltCoil{0x3D85B5C8, 0x46D4, 0x44B0, {0xA5, 0x41, 0xBD, 0x50, 0xA3, 0x32, 0x33, 0x7B}};
