#include "client/core/EntryRecords.h"
