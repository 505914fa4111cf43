#include "shared/TGenericServerConnection.h"

// Defined here so the class has one home for its virtual table.
TGenericServerConnection::~TGenericServerConnection() = default;
