// POSITION: the opaque iteration cursor of the framework's maps and list controls.
// NULL means "no more elements"; any other value is only meaningful to the object that gave it.
#pragma once

struct FrameworkPositionTag;
typedef FrameworkPositionTag* POSITION;
