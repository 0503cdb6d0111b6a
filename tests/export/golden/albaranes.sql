-- The fixed delivery notes of the export tests, one statement per line. In March 2026: note "1"
-- on the 1st without lines; "2" on the 10th with one line; "10" and "3" on the 15th with one and
-- three lines (lines stored out of order); "4" on the 31st with one line. Outside March: "1" on
-- 28 February and "2" on 1 April, whose lines must not join the March notes of the same numbers.
-- Customer names hold the list separator, a double quote, and "<" with "&"; some addresses and
-- an operator are null; product names hold characters inside and outside Windows-1252 and a "]]>".
INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES ('4', '2026-03-31', 'Luis', 'C4', 'Quesos ''La Vaca''', 'Camí Ral 7', '17001 Girona', '2026-04-01 07:00:00', false);
INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES ('3', '2026-03-15', NULL, 'C3', 'Pan & Vino <SL>', NULL, NULL, '2026-03-15 18:30:00', true);
INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES ('1', '2026-02-28', 'Ana', 'C1', 'Frutas García; Hijos', NULL, NULL, '2026-02-28 10:00:00', true);
INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES ('2', '2026-03-10', 'Luis', 'C2', 'Bar "El Pino"', 'Avda. Sol 3', '08001 Barcelona', '2026-03-10 12:00:05', false);
INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES ('10', '2026-03-15', 'Ana', 'C1', 'Frutas García; Hijos', 'Calle Mayor, 5', NULL, '2026-03-15 09:00:00', true);
INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES ('2', '2026-04-01', 'Luis', 'C2', 'Bar "El Pino"', 'Avda. Sol 3', '08001 Barcelona', '2026-04-01 12:00:00', true);
INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES ('1', '2026-03-01', 'Ana', 'C1', 'Frutas García; Hijos', 'Calle Mayor, 5', NULL, '2026-03-01 08:15:00', true);
INSERT INTO AlbaranesDetalle VALUES ('3', '2026-03-15', 3, 'P4', 'Pimiento Łódź ]]> fin', 3, 0.333, 0.001, 0.332, 2.75, 0.913, '18:10:00-15/03/2026', NULL);
INSERT INTO AlbaranesDetalle VALUES ('2', '2026-04-01', 1, 'P1', 'Melón €', 2, 40.0, 2.0, 38.0, 0.8, 30.4, '11:00:00-01/04/2026', NULL);
INSERT INTO AlbaranesDetalle VALUES ('3', '2026-03-15', 1, 'P2', 'Tomate', 1, 100.0, 1.5, 98.5, 1.2, 118.2, '18:00:00-15/03/2026', 41);
INSERT INTO AlbaranesDetalle VALUES ('1', '2026-02-28', 1, 'P1', 'Melón €', 2, 5.0, 1.0, 4.0, 0.8, 3.2, '10:00:00-28/02/2026', NULL);
INSERT INTO AlbaranesDetalle VALUES ('4', '2026-03-31', 1, 'P5', 'Queso tierno', 4, 10.0, 0.5, 9.5, 12.0, 114.0, '19:45:00-31/03/2026', NULL);
INSERT INTO AlbaranesDetalle VALUES ('2', '2026-03-10', 1, 'P1', 'Melón €', 2, 1250.5, 2.25, 1248.25, 0.8, 998.6, '11:59:30-10/03/2026', NULL);
INSERT INTO AlbaranesDetalle VALUES ('3', '2026-03-15', 2, 'P3', 'Naranja', 0, 20.0, 0.0, 20.0, NULL, NULL, '18:05:10-15/03/2026', NULL);
INSERT INTO AlbaranesDetalle VALUES ('10', '2026-03-15', 1, 'P2', 'Tomate', 1, 55.125, 1.5, 53.625, 1.2, 64.35, '09:01:02-15/03/2026', NULL);
INSERT INTO AlbaranesDetalle VALUES ('2', '2026-04-01', 2, 'P2', 'Tomate', 1, 12.0, 1.5, 10.5, 1.2, 12.6, '11:05:00-01/04/2026', NULL);
