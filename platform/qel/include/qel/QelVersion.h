#pragma once

extern "C" const char* QelVersionString();
