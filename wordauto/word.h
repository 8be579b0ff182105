#pragma once

// The Word object model: the DOC_ classes and WordError.
#include "wordauto/doc/doc_application.h"
#include "wordauto/word_error.h"
