// The name of a drawing's rescue copy. Pure text, free of the platform.
#pragma once
#include <string>

// "folder\name_stamp.ext" for a drawing's file name (its folder dropped),
// with " (n)" before the extension when n > 1: the n-th name to try when
// the ones before it are taken.
std::string rescueNameIn(const std::string& folder, const std::string& fileName,
                         const std::string& stamp, int n);
