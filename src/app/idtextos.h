#pragma once

// Names for the ids of textos.tsv that code uses: Texto(IdTexto::Aceptar). The id is the Spanish
// one; the language offset is added when the text is looked up. New ids go into the range of
// their area, in textos.tsv (all three blocks) and here.
namespace IdTexto {
inline constexpr int NombreIdioma = 0;
inline constexpr int ProgramaPesaje = 170;
inline constexpr int Aceptar = 175;
inline constexpr int Cancelar = 176;
inline constexpr int Imprimir = 177; // "Im&primir", pick lists and previews
inline constexpr int Grabar = 178;
inline constexpr int Borrar = 179;
inline constexpr int Salir = 180;
inline constexpr int DiasSemana = 181;
inline constexpr int Pagina = 182;
inline constexpr int Imprimiendo = 183;
inline constexpr int ImprimiendoPagina = 184;
inline constexpr int EnLaImpresora = 185;
inline constexpr int CancelarImpresion = 186;
inline constexpr int ModosVista = 187;
inline constexpr int Configuracion = 201;
inline constexpr int Idioma = 202;
inline constexpr int PuertoComunicaciones = 203;
inline constexpr int UnidadMedida = 204;
inline constexpr int Columnas = 205;
inline constexpr int MenuConfiguraciones = 206;
inline constexpr int Inicial = 207;
inline constexpr int Configuraciones = 208;
inline constexpr int GuardarConfiguracion = 209;
inline constexpr int NombreConfiguracion = 210;
inline constexpr int ConfiguracionColumnas = 211;
inline constexpr int MantenimientoTaras = 212;
inline constexpr int Nombre = 213;
inline constexpr int Peso = 214;
inline constexpr int Codigo = 215;
inline constexpr int MantenimientoProductos = 216;
inline constexpr int MantenimientoOperarios = 217;
inline constexpr int MantenimientoClientes = 218;
inline constexpr int CodigoCliente = 219; // "Cliente", heading of the customer code
inline constexpr int Domicilio = 220;
inline constexpr int Version = 221;
inline constexpr int Taras = 223;
inline constexpr int Productos = 224;
inline constexpr int Interruptor = 225;
inline constexpr int ReiniciaVentanas = 226;
inline constexpr int ColCodProducto = 227;
inline constexpr int ColProducto = 228;
inline constexpr int ColCodTara = 229;
inline constexpr int ColPesoTara = 230;
inline constexpr int ColPesoNeto = 231;
inline constexpr int Operarios = 232;
inline constexpr int Clientes = 233;
inline constexpr int NoHayImpresora = 234;
inline constexpr int ConfiguracionImpresora = 235;
inline constexpr int LeerPesada = 236;
inline constexpr int Albaran = 237;
inline constexpr int Fecha = 238;
inline constexpr int Numero = 239;
inline constexpr int Operario = 240;
inline constexpr int Cliente = 241;
inline constexpr int BotonImprimir = 242;
inline constexpr int NuevoAlbaran = 243;
inline constexpr int ListadoAlbaran = 244;
inline constexpr int AlbaranPesaje = 245;
inline constexpr int NumAlbaran = 246;
inline constexpr int Totales = 247;
inline constexpr int DatosEmpresa = 248;
inline constexpr int Precio = 249;
inline constexpr int MarcaImpreso = 250; // "IMPRESO"
inline constexpr int Actualizado = 251;
inline constexpr int Impreso = 252;
inline constexpr int NumeracionAutomatica = 253;
inline constexpr int Abrir = 254;
inline constexpr int Guardar = 255;
inline constexpr int ColHoraPesada = 256;
inline constexpr int PesoContinuo = 257;
inline constexpr int ColumnasPantalla = 258;
inline constexpr int ColumnasImpresas = 259;
inline constexpr int ColPesoBruto = 260;
inline constexpr int ColPrecio = 261;
inline constexpr int ColPesoImporte = 262;
inline constexpr int GuardarAlbaran = 263;
inline constexpr int AlbaranExistente = 264;
inline constexpr int Albaranes = 265;
inline constexpr int DocumentoTexto = 266;
inline constexpr int Xml = 267;
inline constexpr int ValoresSeparados = 268;
inline constexpr int TiquetAlbaran = 269;
inline constexpr int Paginas = 270;
inline constexpr int Tiquets = 271;
inline constexpr int TipoImpresora = 272;
inline constexpr int DefinicionTiquet = 273;
inline constexpr int General = 274;
inline constexpr int Macro = 275;
inline constexpr int CodigosImpresora = 276;
inline constexpr int CodigosPantalla = 277;
inline constexpr int Descripcion = 278;
inline constexpr int ImpresoraTiquets = 279;
inline constexpr int NoDefinida = 280;
inline constexpr int PuertoSerie = 281;
inline constexpr int PuertoParalelo = 282;
inline constexpr int ImpresoraSistema = 283;
inline constexpr int ErrorImpresion = 284;
inline constexpr int ConfiguracionPuertoSerie = 285;
inline constexpr int TipoBascula = 286;
inline constexpr int ExportacionAlbaranes = 287;
inline constexpr int Destino = 288;
inline constexpr int Desde = 289;
inline constexpr int Hasta = 290;
inline constexpr int ExportacionAcabada = 291;

// 300..319: delivery notes.
inline constexpr int GuardarCambios = 300; // save a changed note before going on?
inline constexpr int TaraNoEntera = 301;   // "%1" line number, "%2" the tare code
inline constexpr int Bascula = 302;

// 320..339: database errors.
inline constexpr int BdNoSeAbre = 320;
inline constexpr int BdSinCarpeta = 321;
inline constexpr int BdSoloLectura = 322;
inline constexpr int BdCarpetaSoloLectura = 323;
inline constexpr int BdBloqueada = 324;
inline constexpr int BdNoEsBaseDatos = 325;
inline constexpr int BdClaveExiste = 326;
inline constexpr int BdTextoLargo = 327;
inline constexpr int BdSoloEnteros = 328;
inline constexpr int BdSoloNumeros = 329;
inline constexpr int BdSoloSiNo = 330;
inline constexpr int BdSoloFechas = 331;
inline constexpr int BdSoloFechasHora = 332;
inline constexpr int BdObligatorio = 333;
inline constexpr int BdClaveRepetida = 334;
inline constexpr int BdNoSeCompleta = 335;
inline constexpr int BdError = 336;

// 340..349: message boxes and dialogs.
inline constexpr int Si = 340;
inline constexpr int No = 341;

// 350..359: scale, tickets, export and pick lists.
inline constexpr int PuertoNoSeAbre = 350;      // "No se puede abrir el puerto %1: %2"
inline constexpr int PuertoPerdido = 351;       // "Se ha perdido la comunicación con el puerto..."
inline constexpr int NingunPuertoElegido = 352; // "no hay ningún puerto elegido"
inline constexpr int TiquetDemasiadoLargo = 353; // "La plantilla %1 da un tiquet de más de %2..."
inline constexpr int CodigosNoCargados = 354; // "No se han podido cargar los códigos de control..."
inline constexpr int FechaNoValida = 355;
inline constexpr int ExtensionExportacion = 356;
inline constexpr int Cancelado = 358;

// 360..389: configuration, export and splash windows.
inline constexpr int CodigoNoGuardado = 360; // "%1" the macro, "%2" why
inline constexpr int NadaEscrito = 361;      // "%1" why
inline constexpr int ExportacionCancelada = 362;
inline constexpr int LineasExportadas = 363; // "%1" how many
inline constexpr int InfoSistema = 364;
inline constexpr int InfoVersionPrograma = 365;
inline constexpr int InfoVersionQt = 366;
inline constexpr int InfoSistemaOperativo = 367;
inline constexpr int InfoBaseDatos = 368;
inline constexpr int InfoArchivoAjustes = 369;
inline constexpr int InfoPuertosSerie = 370;
inline constexpr int InfoColasImpresion = 371;
inline constexpr int Copiar = 372;
inline constexpr int Ninguno = 373;
inline constexpr int BorrarCodigo = 374;
inline constexpr int DispositivoSinBytes = 375;   // "%1" the device, "%2" seconds
inline constexpr int AjusteSerieSinEntrada = 376; // "%1" the setting, "%2" its value
inline constexpr int DocumentoNoEmpieza = 377;
inline constexpr int PaginaNoEmpieza = 378;
inline constexpr int DocumentoNoAcaba = 379;

// 390..399: printing a delivery note.
inline constexpr int PlantillaNoEncontrada = 390; // "%1" the template's path
inline constexpr int GuardarPdf = 391;
inline constexpr int ArchivosPdf = 392;   // the file dialog's filter
inline constexpr int PdfNoGuardado = 393; // "%1" the file, "%2" the reason
inline constexpr int TiquetEnviandose = 394;
inline constexpr int SinImpresoraTiquets = 395;
inline constexpr int TipoImpresoraDesconocido = 396; // "%1" the kind
inline constexpr int PuertoSinDispositivo = 397;     // "%1" the port
inline constexpr int DispositivoNoSeAbre = 398;      // "%1" the device, "%2" why
inline constexpr int DispositivoNoSeEscribe = 399;   // "%1" the device, "%2" why

// 400..419: shared database.
inline constexpr int BdConexionPerdida = 400;
inline constexpr int BdServidorNoResponde = 401;
inline constexpr int BdDireccionNoValida = 402;
inline constexpr int BdContrasenaEnDireccion = 403;
inline constexpr int BdTextoDemasiadoLargo = 404;
inline constexpr int BdValorNoAdmitido = 405;
inline constexpr int BdSinPermiso = 406;
inline constexpr int AlbaranGuardadoEntretanto = 407;
inline constexpr int BdSinRespuesta = 408; // "%1" the seconds waited

// Serial line of the ticket printer.
inline constexpr int ControlFlujo = 501;
inline constexpr int FlujoXonXoff = 502;
inline constexpr int FlujoHardware = 503;
inline constexpr int FlujoNinguno = 504;
inline constexpr int BitsPorSegundo = 505;
inline constexpr int BitsDatos = 506;
inline constexpr int Paridad = 507;
inline constexpr int BitsParada = 508;
inline constexpr int ParidadPar = 509;
inline constexpr int ParidadImpar = 510;
inline constexpr int ParidadNinguna = 511;
inline constexpr int ParidadMarca = 512;
inline constexpr int ParidadEspacio = 513;

// Menus of the main window.
inline constexpr int MnuArchivo = 1001;
inline constexpr int MnuConfiguracion = 1002;
inline constexpr int MnuImpresora = 1003;
inline constexpr int MnuSalir = 1004;
inline constexpr int MnuBascula = 1005;
inline constexpr int MnuInterruptor = 1006;
inline constexpr int MnuLeerPesada = 1007;
inline constexpr int MnuAlbaran = 1008;
inline constexpr int MnuImprimir = 1009;
inline constexpr int MnuNuevo = 1010;
inline constexpr int MnuFicheros = 1011;
inline constexpr int MnuProductos = 1012;
inline constexpr int MnuTaras = 1013;
inline constexpr int MnuClientes = 1014;
inline constexpr int MnuOperarios = 1015;
inline constexpr int MnuAyuda = 1016;
inline constexpr int MnuInfoSistema = 1017;
inline constexpr int MnuAcercaDe = 1018;
inline constexpr int MnuAbrir = 1019;
inline constexpr int MnuGuardar = 1020;
inline constexpr int MnuPrograma = 1021;
inline constexpr int MnuReajustarColumnas = 1022;
inline constexpr int MnuExportar = 1023;

// 1100..1124: files the program writes.
inline constexpr int SalidaEsBaseDatos = 1100;   // "%1 es la base de datos en uso..."
inline constexpr int SalidaNoEsArchivo = 1101;   // "%1 no es un archivo normal..."
inline constexpr int DiscoLleno = 1102;          // "El disco está lleno: ... %1"
inline constexpr int ArchivoNoSeEscribe = 1103;  // "%1" the file, "%2" the system's reason
inline constexpr int BaseDatosSustituida = 1104; // "%1" the database file

// 1140..1149: texts the database takes.
inline constexpr int BdCaracteresControl = 1140; // "%1" the text, its control characters shown

inline constexpr int TramaUsuarioVacia = 1200;
inline constexpr int TramaUsuarioNoValida = 1201;
inline constexpr int TramaUsuarioSinPeso = 1202;
inline constexpr int FinTramaNoValido = 1203;
inline constexpr int LineaBasculaNoValida = 1204;
inline constexpr int FlujoBasculaNoValido = 1205;
inline constexpr int EstadoMovimiento = 1206;
inline constexpr int EstadoSobreRango = 1207;
inline constexpr int EstadoBajoRango = 1208;
inline constexpr int EstadoError = 1209;
inline constexpr int SinLectura = 1210;
inline constexpr int SinLecturaEspera = 1211;
inline constexpr int Recibido = 1212;
inline constexpr int NingunaBascula = 1213;
inline constexpr int LineaBascula = 1214;
inline constexpr int FlujoBascula = 1215;
inline constexpr int TramaUsuario = 1216;
inline constexpr int EstableUsuario = 1217;
inline constexpr int FinTramaUsuario = 1218;
inline constexpr int PeticionUsuario = 1219;
inline constexpr int EstableLecturas = 1220;
inline constexpr int EstableMs = 1221;
inline constexpr int EstableMargen = 1222;
inline constexpr int DetectarBascula = 1223;
inline constexpr int PorDefecto = 1224;
inline constexpr int BasculaEncontrada = 1225;
inline constexpr int TramasIlegibles = 1226;
// The scale protocols' names in the configuration window's list, by TipoBascula from 0.
inline constexpr int NombreProtocolo0 = 1230;
inline constexpr int ProtocoloUsuario = 1237;
inline constexpr int EstabilidadBascula = 1238;
inline constexpr int BuscandoBascula = 1239;
// 1300.. taking a weight from the scale into a line
inline constexpr int EsperandoEstable = 1300;
inline constexpr int PesadaSinLectura = 1301;
inline constexpr int PesadaAntigua = 1302;
inline constexpr int PesadaInestable = 1303;
inline constexpr int PesadaFueraRango = 1304;
inline constexpr int PesadaErrorBascula = 1305;
inline constexpr int PesadaMismaCarga = 1306;
inline constexpr int PesadaSinRegistro = 1307;
inline constexpr int Pesada = 1308;
inline constexpr int PesoManualProhibido = 1309;
// The mark of a weight typed by hand in the grid, the listing and the ticket, and what it means.
inline constexpr int MarcaManual = 1310;
inline constexpr int PesoManual = 1311;
inline constexpr int LineasManuales = 1312; // "%1" the count of lines weighed by hand
inline constexpr int ExportaProcedencia = 1313;
inline constexpr int InfoHuellaPrograma = 1314;
// The configuration window's weighing settings.
inline constexpr int Pesadas = 1315;
inline constexpr int Puesto = 1316;
inline constexpr int LecturaRecienteMs = 1317;
inline constexpr int EsperaEstableMs = 1318;
inline constexpr int UnaPesadaPorCarga = 1319;
inline constexpr int PermitePesoManual = 1320;
inline constexpr int OrdenSinRegistro = 1321;
// 1322.. versions of a note, voids and copies
inline constexpr int Historial = 1322;
inline constexpr int Anular = 1323;
inline constexpr int DeshacerAnulacion = 1324;
inline constexpr int MarcaAnulado = 1325;
inline constexpr int MarcaCopia = 1326;
inline constexpr int MotivoAnulacion = 1327;
inline constexpr int MotivoDeshacer = 1328;
inline constexpr int MotivoCorto = 1329;
inline constexpr int AlbaranAnulado = 1330;
inline constexpr int GuardeAntes = 1331;
inline constexpr int YaAnulado = 1332;
inline constexpr int NoAnulado = 1333;
inline constexpr int VersionesAnteriores = 1334;
inline constexpr int ColVersion = 1335;
inline constexpr int ColGuardada = 1336;
inline constexpr int ColReemplazada = 1337;
inline constexpr int ColPuesto = 1338;
inline constexpr int ColOperario = 1339;
inline constexpr int ColLineas = 1340;
inline constexpr int ColNeto = 1341;
inline constexpr int ColImporte = 1342;
inline constexpr int ColCambios = 1343;
inline constexpr int VersionActual = 1344;
inline constexpr int CambioAnulado = 1345;
inline constexpr int CambioRehabilitado = 1346;
inline constexpr int CambioLineaAnadida = 1347;
inline constexpr int CambioLineaQuitada = 1348;
inline constexpr int CambioLinea = 1349;
inline constexpr int CambioCabecera = 1350;
inline constexpr int AlbaranNoGuardado = 1351;
inline constexpr int CambioNinguno = 1352;
inline constexpr int ColEstado = 1353;
// 1500.. the main window: totals under the grid, checks before saving
inline constexpr int TotalLineas = 1500;
inline constexpr int TotalBruto = 1501;
inline constexpr int TotalTara = 1502;
inline constexpr int TotalNeto = 1503;
inline constexpr int TotalImporte = 1504;
inline constexpr int AlbaranSinNumero = 1505;
inline constexpr int NetoNegativoGuardar = 1506;
inline constexpr int NetoNegativo = 1507;
// 1560.. the configuration window: the company, the printer codes
inline constexpr int NombreEmpresa = 1560;
inline constexpr int NifEmpresa = 1561;
inline constexpr int CodigoNoHexadecimal = 1562; // "%1" the code as typed
inline constexpr int CodigoImpar = 1563;         // "%1" the code as typed
// 1570.. printing a ticket
inline constexpr int SinPlantillaTiquet = 1570;
} // namespace IdTexto
