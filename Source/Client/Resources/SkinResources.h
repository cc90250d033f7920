// Resource ids of the skin toolkit (Skin.rc).
#pragma once

// The product logo: the message box's title strip and the main window's caption.
#define IDR_PNG_LOGO 208
