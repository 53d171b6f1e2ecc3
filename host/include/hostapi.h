// Export/import switch for the stand-in host runtime (cadrt.dll).
#pragma once
#ifdef CADRT_BUILD
#define HOST_API __declspec(dllexport)
#else
#define HOST_API __declspec(dllimport)
#endif
