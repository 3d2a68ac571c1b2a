// Resource ids shared by the resource script and the code that loads them.
#pragma once

#define IDI_APPLICATION_ICON 1
#define IDB_CONECTAR 101
#define IDB_DESCONECTAR 102
#define IDB_MINIMIZAR 103
#define IDB_OK 104
