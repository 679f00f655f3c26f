// Speech.pzt: the speaking clock (speech_plugin.h), built on the SDK.

#include "speech_plugin.h"

ZT_REGISTER_PLUGIN(zt::TztPlgSpeech)
