<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform" xmlns="http://www.w3.org/1999/xhtml">
	<!--
		Стили для чтения Паспорта работы Фестиваля «Lumarinda» в браузере.

		Этот файл служит только для отображения паспорта работы в браузерах Firefox, Opera, Safari
		и Chrome. Программа записывает его рядом с каждым сохраненным паспортом; данные паспорта
		хранятся только в файле *.qdx.xml.
	-->
	<xsl:output doctype-public="-//W3C//DTD XHTML 1.0 Strict//EN" doctype-system="http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd" media-type="text/xhtml" indent="yes"/>

	<!-- Адреса фестиваля и подвал страницы: меняются только здесь. -->
	<xsl:variable name="site" select="'https://www.lumarinda.ru'"/>
	<xsl:variable name="committee_address" select="'119019, г. Москва, ул. Фестивальная, д. 7'"/>
	<xsl:variable name="committee_phone" select="'+7 (495) 555-20-16'"/>
	<xsl:variable name="committee_email" select="'orgcom@lumarinda.ru'"/>
	<xsl:variable name="publisher" select="'Лумаринда-Пресс'"/>
	<xsl:variable name="publisher_site" select="'https://press.lumarinda.ru/'"/>

	<xsl:template match="/">
		<html>
			<head>
				<meta http-equiv="Content-Type" content="text/xhtml; charset=UTF-8"/>
				<title><xsl:value-of select="//@title"/> – Паспорт работы фестиваля «Lumarinda ученика»</title>
				<link rel="icon" type="image/ico">
					<xsl:attribute name="href">
						<xsl:text>data:image/ico;base64,</xsl:text>
						<xsl:text>AAABAAEAEBAAAAEAIABoBAAAFgAAACgAAAAQAAAAIAAAAAEAIAAAAAAAQAQAAAAAAAAAAAAAAAAA</xsl:text>
						<xsl:text>AAAAAAAAAAAAZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/</xsl:text>
						<xsl:text>ZgBm/2YAZv8AAAAAZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9m</xsl:text>
						<xsl:text>AGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YA</xsl:text>
						<xsl:text>Zv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/////////////////////</xsl:text>
						<xsl:text>//////////////////////9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm////////////</xsl:text>
						<xsl:text>////////////////////////////////ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv//</xsl:text>
						<xsl:text>/////////2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YA</xsl:text>
						<xsl:text>Zv9mAGb///////////9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm</xsl:text>
						<xsl:text>/2YAZv9mAGb/ZgBm////////////ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/</xsl:text>
						<xsl:text>ZgBm/2YAZv9mAGb/ZgBm/2YAZv///////////2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9m</xsl:text>
						<xsl:text>AGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb///////////9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YA</xsl:text>
						<xsl:text>Zv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm////////////ZgBm/2YAZv9mAGb/ZgBm</xsl:text>
						<xsl:text>/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv///////////2YAZv9mAGb/</xsl:text>
						<xsl:text>ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb///////////9m</xsl:text>
						<xsl:text>AGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YA</xsl:text>
						<xsl:text>Zv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm</xsl:text>
						<xsl:text>/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv8AAAAA</xsl:text>
						<xsl:text>ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv9mAGb/ZgBm/2YAZv8A</xsl:text>
						<xsl:text>AAAAgAEAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA</xsl:text>
						<xsl:text>AAAAAAAAgAEAAA==</xsl:text>
					</xsl:attribute>
				</link>
				<style type="text/css">
					body { background-color: white; padding: 25px 20px 40px 20px; font: 80% Arial; }
					a, a:visited { color: #000000; }
					a:hover { text-decoration: none; color: #ffffff; background-color: #660066; }
					hr { margin-top: 30px; }
					#right_title { color: #C299C2; font-size: 130%; position: absolute; top: 25px; right: 20px; text-align: right; }
					#right_title p { margin: 0; padding: 0; }
					.div_image_right { float: right; width: 302px; margin: 30px 0 30px 40px; }
					.div_image_right img { border: #660066 solid 1px; box-shadow: grey 3px 3px 15px; -moz-box-shadow: grey 3px 3px 15px; -webkit-box-shadow: grey 3px 3px 15px; }
					.div_image_right p { background-color: white; text-align: center; font-size: 90%; font-style: italic; }
					h1 { color: #660066; font-size: 150%; font-weight: bold; margin: auto 400px 5px auto; }
					dt { margin-top: 10px; font-weight: bold; }
					#footer p { text-align: center; font-size: 90%; }
				</style>
			</head>
			<body>
				<xsl:for-each select="lumarinda/work">
					<xsl:sort select="@stored"/>
					<h1><xsl:value-of select="@title"/></h1>
					<p id="right_title">Электронный паспорт работы,<br/>&#160;представленной на&#160;фестиваль «Lumarinda ученика»</p>
					<div style="clear: right"/>
					<xsl:for-each select="img">
						<div class="div_image_right">
							<img src="{@src}" width="{@width}" height="{@height}" title="{@title}" alt="Изображение к работе. Оно не поддерживается устаревшими версиями Internet Explorer до 8-й включительно. Для просмотра паспорта используйте браузеры Firefox, Opera, Safari."/>
							<p><xsl:value-of select="@title"/></p>
						</div>
					</xsl:for-each>
					<p>
						<b>Раздел<xsl:if test="count(subjects/subject) &gt; 1">ы</xsl:if>:</b>
						<xsl:text> </xsl:text>
						<xsl:if test="not(subjects/subject)">не выбран</xsl:if>
						<xsl:for-each select="subjects/subject">
							<xsl:sort select="@sb_id"/>
							<a href="{$site}/subjects/{@sb_id}/">
								<xsl:choose>
								<xsl:when test="@sb_id = 1">Астрономия, космонавтика и авиация</xsl:when>
								<xsl:when test="@sb_id = 2">Биология</xsl:when>
								<xsl:when test="@sb_id = 3">География</xsl:when>
								<xsl:when test="@sb_id = 4">История, археология</xsl:when>
								<xsl:when test="@sb_id = 5">Искусствоведение</xsl:when>
								<xsl:when test="@sb_id = 6">Лингвистика (русский и иностранные языки)</xsl:when>
								<xsl:when test="@sb_id = 7">Литературоведение</xsl:when>
								<xsl:when test="@sb_id = 8">Математика</xsl:when>
								<xsl:when test="@sb_id = 9">Религиоведение</xsl:when>
								<xsl:when test="@sb_id = 10">Экономика, социология и право</xsl:when>
								<xsl:when test="@sb_id = 11">Физика</xsl:when>
								<xsl:when test="@sb_id = 12">Химия</xsl:when>
								<xsl:when test="@sb_id = 13">Здоровье человека</xsl:when>
								<xsl:when test="@sb_id = 14">Физкультура и спорт</xsl:when>
								<xsl:when test="@sb_id = 15">Экология</xsl:when>
								<xsl:when test="@sb_id = 16">Художественное творчество</xsl:when>
								<xsl:when test="@sb_id = 17">Технология</xsl:when>
								<xsl:when test="@sb_id = 18">Информатика</xsl:when>
								<xsl:when test="@sb_id = 19">Литературное творчество</xsl:when>
								<xsl:when test="@sb_id = 20">Музыкальное творчество</xsl:when>
								<xsl:when test="@sb_id = 21">Краеведение</xsl:when>
								<xsl:when test="@sb_id = 22">В помощь учителю</xsl:when>
								<xsl:when test="@sb_id = 24">Конкурс «Учебный проект»</xsl:when>
									<xsl:otherwise>?</xsl:otherwise>
								</xsl:choose>
							</a>
							<xsl:if test="position() != last()">; </xsl:if>
						</xsl:for-each>
					</p>
					<p><b>Учебный год:</b><xsl:text> </xsl:text><xsl:value-of select="@sz_id + 2002"/> / <xsl:value-of select="@sz_id + 2003"/></p>
					<dl>
						<dt>Автор(ы):</dt>
						<ul>
							<xsl:for-each select="authors/person[@p_type = 'student']">
								<xsl:sort select="@p_id_full"/>
								<li>[<a href="{$site}/persons/{@p_id_full}/"><xsl:value-of select="@p_id_full"/></a>] <xsl:value-of select="@surname"/><xsl:text> </xsl:text><xsl:value-of select="@name"/><xsl:text> </xsl:text><xsl:value-of select="@patronymic"/></li>
							</xsl:for-each>
						</ul>
						<dt>Руководитель(и):</dt>
						<ul>
							<xsl:for-each select="authors/person[@p_type = 'teacher']">
								<xsl:sort select="@p_id_full"/>
								<li>[<a href="{$site}/persons/{@p_id_full}/"><xsl:value-of select="@p_id_full"/></a>] <xsl:value-of select="@surname"/><xsl:text> </xsl:text><xsl:value-of select="@name"/><xsl:text> </xsl:text><xsl:value-of select="@patronymic"/></li>
							</xsl:for-each>
						</ul>
						<dt>Описание работы:</dt>
						<dd><xsl:value-of select="description"/></dd>
						<dt>Технические требования:</dt>
						<dd><xsl:value-of select="specification"/></dd>
						<dt>Порядок знакомства:</dt>
						<dd><xsl:value-of select="manual"/></dd>
						<dt>Контактная информация:</dt>
						<dd>Адрес: <xsl:value-of select="public_relations/postal_code"/>, <xsl:value-of select="public_relations/address"/></dd>
						<dd>Телефон: <xsl:value-of select="public_relations/phone"/></dd>
						<dd>Эл. адрес: <a href="mailto:{public_relations/email}"><xsl:value-of select="public_relations/email"/></a></dd>
						<dt>Комментарии:</dt>
						<dd><xsl:value-of select="comment"/></dd>
					</dl>
					<hr/>
					<div id="footer">
						<p>Адрес: <xsl:value-of select="$committee_address"/>, «<xsl:value-of select="$publisher"/>», Оргкомитет фестиваля «Lumarinda ученика»<br/>Телефон для справок: <xsl:value-of select="$committee_phone"/>. Эл. адрес: <a href="mailto:{$committee_email}"><xsl:value-of select="$committee_email"/></a></p>
						<p><a href="{$publisher_site}"><xsl:value-of select="$publisher"/></a></p>
					</div>
				</xsl:for-each>
			</body>
		</html>
	</xsl:template>
</xsl:stylesheet>
