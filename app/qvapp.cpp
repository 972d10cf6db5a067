// QV application library
